#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/file_store.h"

namespace orvelle {

// Files in memory: the working copy of a file read whole, the fuzzer's inputs, and the tests'
// files, with the failures a real disk can show injected per path.
class MemoryFileStore final : public FileStore {
 public:
  enum class Fault {
    Unreadable,    // reads of the path fail
    WriteFails,    // writes to it fail after half the bytes
    WriteShort,    // writes to it report success but keep only half the bytes
    WriteAltered,  // writes to it report success but the last byte comes out different
    CopyFails,     // copies onto it fail
    MoveFails,     // moves onto it fail
    ReadOnly,      // refuses writes, copies and moves onto it, and its removal
    Busy,          // another program holds it: reads, writes, copies and moves onto it fail as busy
  };
  void Inject(const std::wstring& path, Fault fault) { faults_.emplace(path, fault); }
  // Takes an injected fault back, as when the user clears a read-only flag.
  void Heal(const std::wstring& path, Fault fault) { faults_.erase({path, fault}); }

  // Sets a file's bytes directly, whatever faults its path has.
  void Put(const std::wstring& path, std::string bytes) { files_[path] = std::move(bytes); }
  // The file's bytes, or null when there is none.
  const std::string* Find(const std::wstring& path) const;
  std::vector<std::wstring> Paths() const;
  // Every file and every fault gone.
  void Clear();

  ReadOutcome Read(const std::wstring& path, std::string& bytes) override;
  bool Write(const std::wstring& path, std::string_view bytes) override;
  bool Copy(const std::wstring& from, const std::wstring& to) override;
  bool Move(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override;
  FileFault LastFault() const override { return lastFault_; }
  FileStamp Now() const override { return now_; }
  void SetNow(FileStamp now) { now_ = now; }

 private:
  // Records why an operation failed, for LastFault; returns `done`.
  bool Outcome(bool done, const std::wstring& path);

  bool Has(const std::wstring& path, Fault fault) const { return faults_.count({path, fault}) != 0; }

  std::map<std::wstring, std::string> files_;
  std::set<std::pair<std::wstring, Fault>> faults_;
  FileFault lastFault_ = FileFault::None;
  FileStamp now_{2026, 1, 2, 3, 4, 5};
};

}  // namespace orvelle

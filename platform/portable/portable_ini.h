#pragma once

#include "platform/ini.h"

namespace orvelle {

struct IniDocument;

// INI files read and written directly, with the behaviour the private-profile functions show:
// sections and keys compared without regard to ASCII case, the first of duplicates wins, blanks
// and one pair of enclosing quotes stripped on read, a key replaced in place or appended at the
// end of its section. A file keeps its encoding; a new one is UTF-16LE with a byte-order mark.
// Every write replaces the file in one step.
class PortableIni final : public IniAccess {
 public:
  // Where the files live: the disk, or memory for the fuzzer.
  class Storage {
   public:
    virtual ~Storage() = default;
    virtual bool Read(const std::wstring& path, std::string& bytes) = 0;
    virtual bool Write(const std::wstring& path, std::string_view bytes) = 0;
    // Moves `from` over `to`, replacing it in one step.
    virtual bool Move(const std::wstring& from, const std::wstring& to) = 0;
    virtual void Remove(const std::wstring& path) = 0;
  };
  // Files on disk.
  PortableIni();
  explicit PortableIni(Storage& storage) : storage_(&storage) {}

  int ReadInt(const std::wstring& path, std::wstring_view section, std::wstring_view key,
              int fallback) override;
  std::wstring ReadString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                          std::wstring_view fallback) override;
  std::vector<IniEntry> ReadSection(const std::wstring& path, std::wstring_view section) override;
  void WriteString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value) override;
  void WriteSection(const std::wstring& path, std::wstring_view section,
                    const std::vector<IniEntry>& entries) override;
  std::wstring BeginReplace(const std::wstring& path) override;
  bool CommitReplace(const std::wstring& scratch, const std::wstring& path) override;

 private:
  bool Save(const std::wstring& path, const IniDocument& doc);
  Storage* storage_;
};

// Reading and writing whole files by wide path, shared with the tests and tools.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);

}  // namespace orvelle

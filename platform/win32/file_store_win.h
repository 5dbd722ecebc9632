#pragma once

#include "base/file_store.h"

namespace orvelle {

// Whole files through the system's file functions. Files are opened for reading with every
// sharing mode, so a file another program holds open is still read when it can be. Each
// operation is tried once: whether and when to try again is the caller's decision.
class Win32FileStore final : public FileStore {
 public:
  ReadOutcome Read(const std::wstring& path, std::string& bytes) override;
  bool Write(const std::wstring& path, std::string_view bytes) override;
  bool Copy(const std::wstring& from, const std::wstring& to) override;
  bool Move(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override;
  FileFault LastFault() const override { return fault_; }
  // Local time: the names of kept files read as the user's clock shows.
  FileStamp Now() const override;

 private:
  // Notes why the operation that just failed did so; returns false.
  bool Failed();

  FileFault fault_ = FileFault::None;
};

// Bytes in the system's ANSI code page to wide characters: the legacy decoder on Windows.
std::wstring DecodeAnsi(std::string_view bytes);

}  // namespace orvelle

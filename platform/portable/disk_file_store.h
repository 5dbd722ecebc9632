#pragma once

#include <filesystem>

#include "base/file_store.h"

namespace orvelle {

// Files on disk through the standard library, for tests and tools. It hands written bytes to the
// system without forcing them to the platter; the program itself uses the Win32 store.
class DiskFileStore final : public FileStore {
 public:
  ReadOutcome Read(const std::wstring& path, std::string& bytes) override;
  bool Write(const std::wstring& path, std::string_view bytes) override;
  bool Copy(const std::wstring& from, const std::wstring& to) override;
  bool Move(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override;
  // Universal time: the standard library gives no portable local time before C++20's zones.
  FileStamp Now() const override;
};

// A time in seconds since 1970 as a date and time of the same zone.
FileStamp StampOfUnixSeconds(long long seconds);

// One disk store for everyone: it holds no state.
FileStore& DiskFiles();

// A wide path as the standard library's file system takes it (UTF-8 where paths are bytes).
std::filesystem::path FileSystemPath(const std::wstring& path);

// Reading and writing whole files by wide path, shared with the tests and tools.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);

}  // namespace orvelle

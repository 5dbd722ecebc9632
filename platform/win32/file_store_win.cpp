#include "platform/win32/file_store_win.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/handles.h"

namespace orvelle {
namespace {

// Large reads and writes go in pieces a DWORD count can carry.
constexpr DWORD kChunkBytes = 1u << 20;

// Errors of a file that another program has open: an antivirus scanner, the indexer, a backup or
// a sync client holds a fresh file for a moment, and denies access while it does.
bool IsBusyError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_USER_MAPPED_FILE;
}

}  // namespace

bool Win32FileStore::Failed() {
  fault_ = IsBusyError(GetLastError()) ? FileFault::Busy : FileFault::Other;
  return false;
}

FileStamp Win32FileStore::Now() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

ReadOutcome Win32FileStore::Read(const std::wstring& path, std::string& bytes) {
  bytes.clear();
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return ReadOutcome::Missing;
    Failed();
    return ReadOutcome::Unreadable;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > kMaxFileBytes) {
    fault_ = FileFault::Other;
    return ReadOutcome::Unreadable;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkBytes));
    DWORD got = 0;
    // A file that shrank while being read (got == 0 early) was not read whole either.
    const BOOL read = ReadFile(file.get(), bytes.data() + done, want, &got, nullptr);
    if (!read || got == 0) {
      if (read) SetLastError(ERROR_HANDLE_EOF);
      Failed();
      bytes.clear();
      return ReadOutcome::Unreadable;
    }
    done += got;
  }
  return ReadOutcome::Read;
}

bool Win32FileStore::Write(const std::wstring& path, std::string_view bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Failed();
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkBytes));
    DWORD wrote = 0;
    if (!WriteFile(file.get(), bytes.data() + done, want, &wrote, nullptr) || wrote == 0) return Failed();
    done += wrote;
  }
  if (!FlushFileBuffers(file.get())) return Failed();
  // Closing can still report a failed write-back; it counts.
  if (CloseHandle(file.release()) == 0) return Failed();
  fault_ = FileFault::None;
  return true;
}

bool Win32FileStore::Copy(const std::wstring& from, const std::wstring& to) {
  if (CopyFileW(from.c_str(), to.c_str(), FALSE) == 0) return Failed();
  fault_ = FileFault::None;
  return true;
}

bool Win32FileStore::Move(const std::wstring& from, const std::wstring& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) return Failed();
  fault_ = FileFault::None;
  return true;
}

bool Win32FileStore::Remove(const std::wstring& path) {
  fault_ = FileFault::None;
  if (DeleteFileW(path.c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || Failed();
}

std::wstring DecodeAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());  // at most kMaxFileBytes
  const int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (chars <= 0) return {};
  std::wstring text(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), chars);
  return text;
}

}  // namespace orvelle

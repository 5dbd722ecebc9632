#include "platform/portable/disk_file_store.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/portable/text_codec.h"

namespace orvelle {

std::filesystem::path FileSystemPath(const std::wstring& path) {
#ifdef _WIN32
  return std::filesystem::path(path);
#else
  return std::filesystem::path(ToUtf8(path));
#endif
}

ReadOutcome DiskFileStore::Read(const std::wstring& path, std::string& bytes) {
  bytes.clear();
  const std::filesystem::path file = FileSystemPath(path);
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) return ReadOutcome::Missing;
  if (error || status.type() != std::filesystem::file_type::regular) return ReadOutcome::Unreadable;
  const uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kMaxFileBytes) return ReadOutcome::Unreadable;

  std::ifstream in(file, std::ios::binary);
  if (!in) return ReadOutcome::Unreadable;
  bytes.reserve(static_cast<size_t>(size));
  // Read to the end rather than to the size seen above: the file may have grown meanwhile.
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    const auto count = static_cast<size_t>(in.gcount());
    if (bytes.size() + count > kMaxFileBytes) {
      bytes.clear();
      return ReadOutcome::Unreadable;
    }
    bytes.append(buffer, count);
  }
  if (in.bad()) {
    bytes.clear();
    return ReadOutcome::Unreadable;
  }
  return ReadOutcome::Read;
}

bool DiskFileStore::Write(const std::wstring& path, std::string_view bytes) {
  std::ofstream out(FileSystemPath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  out.close();
  return !out.fail();
}

bool DiskFileStore::Copy(const std::wstring& from, const std::wstring& to) {
  // Not std::filesystem::copy_file: some of its builds for Windows refuse to overwrite any file.
  std::string bytes;
  return Read(from, bytes) == ReadOutcome::Read && Write(to, bytes);
}

bool DiskFileStore::Move(const std::wstring& from, const std::wstring& to) {
  std::error_code error;
  std::filesystem::rename(FileSystemPath(from), FileSystemPath(to), error);
  return !error;
}

bool DiskFileStore::Remove(const std::wstring& path) {
  std::error_code error;
  std::filesystem::remove(FileSystemPath(path), error);
  return !error;
}

FileStore& DiskFiles() {
  static DiskFileStore disk;
  return disk;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  return DiskFiles().Read(path, bytes) == ReadOutcome::Read;
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) { return DiskFiles().Write(path, bytes); }

}  // namespace orvelle

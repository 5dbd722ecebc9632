#include "platform/portable/disk_file_store.h"

#include <chrono>
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

FileStamp StampOfUnixSeconds(long long seconds) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Days to a civil date, counted in 400-year eras that begin on 1 March.
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;
  FileStamp stamp;
  stamp.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  stamp.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  stamp.year = static_cast<int>(yearOfEra + era * 400 + (stamp.month <= 2 ? 1 : 0));
  stamp.hour = static_cast<int>(rest / 3600);
  stamp.minute = static_cast<int>(rest / 60 % 60);
  stamp.second = static_cast<int>(rest % 60);
  return stamp;
}

FileStamp DiskFileStore::Now() const {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return StampOfUnixSeconds(std::chrono::duration_cast<std::chrono::seconds>(now).count());
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

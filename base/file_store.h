#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvelle {

enum class ReadOutcome {
  Read,        // the whole file is in hand
  Missing,     // no such file, or no such folder
  Unreadable,  // it exists but could not be read whole: locked, denied, an I/O error or too large
};

// No file of ours comes near this; a larger one is taken as unreadable rather than allocated.
inline constexpr size_t kMaxFileBytes = size_t{32} << 20;

// Why the last operation of a store failed.
enum class FileFault {
  None,
  Busy,   // another program holds the file (a sharing or lock violation, or access denied while a
          // scanner, indexer or sync client has it open): it is likely to pass a moment later
  Other,  // anything else: a missing folder, a full disk, an I/O error
};

// A local date and time, as the names of kept files carry it.
struct FileStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Whole files by path. The program reads a file in one go and replaces it in one go, so it always
// knows whether a read really happened and whether a write really landed.
class FileStore {
 public:
  virtual ~FileStore() = default;

  // The file's bytes; on Missing and Unreadable `bytes` is left empty.
  virtual ReadOutcome Read(const std::wstring& path, std::string& bytes) = 0;
  // Creates or truncates the file, writes all of `bytes`, flushes them to the disk and closes it.
  // False on any failure, a short write included; the file may then hold anything.
  virtual bool Write(const std::wstring& path, std::string_view bytes) = 0;
  // Copies `from` over `to`, replacing it.
  virtual bool Copy(const std::wstring& from, const std::wstring& to) = 0;
  // Moves `from` over `to`, replacing it in one step: a reader sees the old file or the new one.
  virtual bool Move(const std::wstring& from, const std::wstring& to) = 0;
  // True when the file is gone afterwards (also when there was none).
  virtual bool Remove(const std::wstring& path) = 0;
  // Why the last Read, Write, Copy, Move or Remove that failed did so.
  virtual FileFault LastFault() const { return FileFault::Other; }
  // The time now, for the names of the files the store keeps.
  virtual FileStamp Now() const = 0;
};

// Bytes in the system's legacy code page to wide characters: how a file without a byte-order mark
// that is not UTF-8 is read. The program's own files from before were written that way.
using LegacyDecoder = std::wstring (*)(std::string_view bytes);

}  // namespace orvelle

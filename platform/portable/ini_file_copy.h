#pragma once

#include <optional>
#include <string>

#include "base/file_store.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/portable_ini.h"

namespace orvelle {

// The largest INI file the program reads. Its files are kilobytes; the copy in memory is UTF-16
// and takes up to twice the bytes, and each read of it parses it again.
inline constexpr size_t kMaxIniBytes = size_t{4} << 20;

// Where another writer's version of `path` is kept before the program replaces it:
// "<path>.<yyyymmdd-hhmmss>.bak".
std::wstring KeptVersionPath(const std::wstring& path, const FileStamp& stamp);

// One INI file read whole into memory, read and edited there through IniAccess, and written back
// whole. Only a copy held in full can tell a file that was really read from one that was missing
// or locked, keeps Cyrillic intact whatever the file's encoding, and has no size limit on a
// section.
class IniFileCopy {
 public:
  enum class Backup { None, KeepPrevious };

  struct SaveReport {
    bool saved = false;
    bool busy = false;   // not saved because another program held a file: worth trying again soon
    std::wstring kept{}; // another writer's version of the file, kept under this name before the save
    explicit operator bool() const { return saved; }
  };

  // A file larger than `maxBytes` is not read: it counts as unreadable.
  IniFileCopy(FileStore& files, LegacyDecoder legacy, std::wstring path, size_t maxBytes = kMaxIniBytes)
      : files_(files), legacy_(legacy), path_(std::move(path)), maxBytes_(maxBytes) {}
  // The INI access points into the copy.
  IniFileCopy(const IniFileCopy&) = delete;
  IniFileCopy& operator=(const IniFileCopy&) = delete;

  // Reads the file into the copy, replacing what it held. A file that is missing, could not be
  // read or is too large leaves the copy empty.
  ReadOutcome Load();
  const std::wstring& path() const { return path_; }
  // True when the last Load found the file larger than the copy takes.
  bool tooLarge() const { return tooLarge_; }

  // The copy, in UTF-16LE with a byte-order mark; the file is path(). Other paths name no file.
  IniAccess& ini() { return ini_; }

  // True when saving would change the file as it was last read or written.
  bool Changed() const;

  // Writes the copy over the file in one step: a scratch file beside it ("<path>.new") is written,
  // read back and compared, and only then moved over the file. A file on disk that differs from
  // the one last read or written (edited by hand, written by another instance, put back while the
  // program ran without it) is first kept under KeptVersionPath, and the save does not go on
  // unless it was. With KeepPrevious the file being replaced is also copied to "<path>.bak"; a
  // backup that cannot be made does not stop the save, since the new file is already known good
  // and refusing would lose the user's changes instead. Not saved when the file exists but was
  // not read whole (it is never written over), or when any step fails; the file then stays as it
  // was, and no scratch file is left behind.
  SaveReport Save(Backup backup);

 private:
  // Keeps `foreign`, the file's bytes on disk now, under a name of its own.
  bool Keep(const std::string& foreign, std::wstring& kept);

  FileStore& files_;
  LegacyDecoder legacy_;
  std::wstring path_;
  size_t maxBytes_;
  MemoryFileStore memory_;
  PortableIni ini_{memory_};
  ReadOutcome outcome_ = ReadOutcome::Missing;
  bool tooLarge_ = false;
  std::optional<std::string> onDisk_;  // the file's bytes as last read or written; none while there is no file
};

}  // namespace orvelle

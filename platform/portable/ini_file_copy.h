#pragma once

#include <optional>
#include <string>

#include "base/file_store.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/portable_ini.h"

namespace orvelle {

// One INI file read whole into memory, read and edited there through IniAccess, and written back
// whole. Only a copy held in full can tell a file that was really read from one that was missing
// or locked, keeps Cyrillic intact whatever the file's encoding, and has no size limit on a
// section.
class IniFileCopy {
 public:
  enum class Backup { None, KeepPrevious };

  IniFileCopy(FileStore& files, LegacyDecoder legacy, std::wstring path)
      : files_(files), legacy_(legacy), path_(std::move(path)) {}
  // The INI access points into the copy.
  IniFileCopy(const IniFileCopy&) = delete;
  IniFileCopy& operator=(const IniFileCopy&) = delete;

  // Reads the file into the copy, replacing what it held. A file that is missing or could not be
  // read leaves the copy empty.
  ReadOutcome Load();
  const std::wstring& path() const { return path_; }

  // The copy, in UTF-16LE with a byte-order mark; the file is path(). Other paths name no file.
  IniAccess& ini() { return ini_; }

  // True when saving would change the file as it was last read or written.
  bool Changed() const;

  // Writes the copy over the file in one step: a scratch file beside it ("<path>.new") is written,
  // read back and compared, and only then moved over the file. With KeepPrevious the file being
  // replaced is first copied to "<path>.bak"; a backup that cannot be made does not stop the save,
  // since the new file is already known good and refusing would lose the user's changes instead.
  // False when the file exists but was not read (it is never written over), or when any step
  // fails; the file then stays as it was, and no scratch file is left behind.
  bool Save(Backup backup);

 private:
  FileStore& files_;
  LegacyDecoder legacy_;
  std::wstring path_;
  MemoryFileStore memory_;
  PortableIni ini_{memory_};
  ReadOutcome outcome_ = ReadOutcome::Missing;
  std::optional<std::string> onDisk_;  // the file's bytes as last read or written; none while there is no file
};

}  // namespace orvelle

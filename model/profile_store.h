#pragma once

#include <optional>
#include <string>

#include "model/key_table.h"
#include "model/profile_set.h"
#include "base/file_store.h"
#include "platform/portable/ini_file_copy.h"

namespace orvelle {

enum class LayoutOutcome {
  Read,
  Missing,
  Unreadable,
  NoKeys,  // read, but no key slot 1..121 has a key code in 1..254
};

// What start-up found of the program's files.
struct LoadReport {
  ReadOutcome profiles = ReadOutcome::Missing;  // "set.ini"
  LayoutOutcome layout = LayoutOutcome::Missing;  // "Main.ini"
  bool profilesTooLarge = false;  // "set.ini" is unreadable because it is larger than the program reads
  bool folderWritable = true;     // a file could be created in the program's folder
  std::wstring folder{};          // the program's folder, as the messages name it

  // The profile file may be written: it was read or is not there yet, and the layout names the keys
  // whose assignments it holds. Saving with a layout that names no keys would write every profile
  // without its keys and erase them from the file.
  bool writable() const {
    return profiles != ReadOutcome::Unreadable && layout == LayoutOutcome::Read && folderWritable;
  }
};

// The one message to show the user after start-up, or none when all is well.
std::optional<std::wstring> StartupMessage(const LoadReport& report);

enum class SaveOutcome {
  Saved,
  Unchanged,    // the file already holds exactly this: nothing was written
  NotWritable,  // start-up found the files unfit; the profile file stays as it is for this run
  Failed,       // the file could not be replaced and stays as it was; `message` says so
};

struct SaveResult {
  SaveOutcome outcome = SaveOutcome::Unchanged;
  std::wstring message;  // for the user, when the save failed
  bool busy = false;     // failed because another program held the file for the moment
  std::wstring kept{};   // another writer's version of set.ini, kept under this name before the save
};

// What to tell the user about another writer's version of set.ini kept at `kept`.
std::wstring KeptVersionMessage(const std::wstring& kept);

// The program's files beside the executable: the layout "Main.ini" and the profiles "set.ini".
class ProfileStore {
 public:
  // `folder` ends with a path separator.
  ProfileStore(FileStore& files, LegacyDecoder legacy, std::wstring folder);

  // Reads the layout into `table`, then the three profiles, the active number and the key hold time
  // into `set`, the active profile last and into the working copy; nothing is left pending. A
  // profile file that is missing or unreadable gives every profile its defaults.
  LoadReport Load(KeyTable& table, ProfileSet& set);

  // False until Load found the files fit to write, and then for the rest of the run.
  bool writable() const { return writable_; }

  // Writes the three profile copies, the active number and the key hold time as they are (the
  // working copy is not applied: an unapplied edit stays unapplied), keeping the file it replaces
  // as "set.ini.bak". Other sections of the file stay as they are. A set.ini that someone else
  // changed since it was read or written is kept beside it first (KeptVersionPath).
  SaveResult Save(const KeyTable& table, const ProfileSet& set);

  const std::wstring& profilePath() const { return profiles_.path(); }
  std::wstring layoutPath() const { return folder_ + L"Main.ini"; }

 private:
  FileStore& files_;
  LegacyDecoder legacy_;
  std::wstring folder_;
  IniFileCopy profiles_;
  bool writable_ = false;
};

}  // namespace orvelle

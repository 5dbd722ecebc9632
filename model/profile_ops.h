#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/key_table.h"
#include "model/profile_set.h"
#include "model/program_start.h"
#include "base/file_dialog.h"
#include "base/file_store.h"
#include "base/message_style.h"

namespace orvelle {

// Questions and file choices that the profile operations put to the user. The Win32 shell answers
// with message boxes and the system's file dialogs; tests answer from a script.
class ProfileUi {
 public:
  virtual ~ProfileUi() = default;
  // OK/Cancel question; true only for OK.
  virtual bool Confirm(std::wstring_view text) = 0;
  // The file to export to, offered as `suggestedName` in the user's documents folder, or nothing
  // when the user cancels.
  virtual std::optional<std::wstring> ChooseExportFile(std::wstring_view suggestedName) = 0;
  // The file to import from, or nothing when the user cancels.
  virtual std::optional<std::wstring> ChooseImportFile() = 0;
  // Paints the whole main window again (background, profile buttons, assigned keys).
  virtual void RepaintMainWindow() = 0;
  // A message with an OK button and the icon of its kind.
  virtual void Tell(std::wstring_view text, MessageKind kind) = 0;
};


// How the export and import file dialogs are set up.
inline constexpr FileDialogSetup kExportDialog{TextId::ExportDialogTitle, TextId::ProfileFileFilter, L"sew", 0x6};
// The import dialog accepts only a file that exists.
inline constexpr FileDialogSetup kImportDialog{TextId::ImportDialogTitle, TextId::ProfileFileFilter, L"tsk",
                                               0xE | 0x1000 | 0x800};

// The largest file an import reads; a larger one is refused as unreadable. A profile is kilobytes;
// parsing a file of tens of megabytes would hold the window for seconds.
inline constexpr size_t kMaxImportBytes = size_t{1} << 20;

// Working copy -> active profile's copy; clears the pending-changes flag.
void ApplyWorkingCopy(ProfileSet& set);
// Makes profile n active; asks first when unapplied edits would be left behind.
void SwitchProfile(ProfileSet& set, int n, ProfileUi& ui);
// After confirmation, every slot of the working copy and the active profile back to its default.
void ResetToDefaults(ProfileSet& set, const KeyTable& table, ProfileUi& ui);
// The file name an export offers for profile `profile`: "ORVELLE профиль 2.ini".
std::wstring SuggestedExportName(int profile);
// Writes the active profile's copy and its number into a file the user names (offered as
// SuggestedExportName), keeping the file's other sections, and replaces the file in one step. A
// file there that cannot be read is never written over, and one changed by someone else after it
// was read is kept beside it. True when the file was written, which is told with its full path;
// every failure is told too.
bool ExportProfile(FileStore& files, LegacyDecoder legacy, const KeyTable& table, const ProfileSet& set,
                   ProfileUi& ui);
// Reads the profile a file the user picks names in "TYPE" into the working copy and the active
// profile. A file that is missing, unreadable or holds no such profile is refused with a message
// and changes nothing. A profile with keys that play macros, type texts or start programs names
// them in one question first (programs with `expand`ed variables, as they would start); without OK
// those keys go back to their own functions. True when the active profile changed.
bool ImportProfile(FileStore& files, LegacyDecoder legacy, const KeyTable& table, ProfileSet& set,
                   ProfileUi& ui, const ExpandVariables& expand);

}  // namespace orvelle

#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/key_table.h"
#include "model/profile_set.h"

namespace orvelle {

// What the shell is handed to start a Program key's target: a program, a document or a folder.
struct ProgramStart {
  std::wstring file;
  std::wstring parameters;  // empty for none
  // The folder the target starts in: its own folder when the path is a full one (a drive or a
  // network path), else empty (a bare program name, a web address: the shell finds those).
  std::wstring folder;
  bool operator==(const ProgramStart&) const = default;
};

// Gives a text with its %VARIABLES% replaced by their values in the environment the program runs
// in; a variable that is not set stays as it is written.
using ExpandVariables = std::function<std::wstring(const std::wstring&)>;

// What the shell is handed for a Program key's path and arguments as the user typed them (and as
// set.ini keeps them): the path without the double quotes a path copied from Explorer comes with,
// and with its %VARIABLES% expanded, both before the folder is chosen, or a program named through
// a variable or pasted in quotes would start in whatever folder this process happens to be in
// (System32 when Windows starts it). The arguments go as typed.
ProgramStart StartFor(std::wstring_view path, std::wstring args, const ExpandVariables& expand);

// What the release of key `code` starts in profile `profile` (1..3), as the profile says now: the
// key may have changed between the release and the moment the main window gets to it. Nothing
// when the profile number is no profile or the key that decides is no Program key with a path.
std::optional<ProgramStart> ProgramToStart(const ProfileSet& set, const KeyTable& table, int profile, int code,
                                           const ExpandVariables& expand);

// The one message shown when a Program key's target cannot be started.
std::wstring ProgramStartFailedMessage(const std::wstring& path);

// A key of a profile that does more than its own function: it plays a macro, types a text or starts
// a program. A file from someone else could make any of them start something (a macro of Win+R,
// "calc", Enter does), so none is kept unasked.
struct ImportedAction {
  int slot;         // key slot index
  std::wstring shown;  // "F1: макрос «name»", "F2: текст «…»", "F3: программа C:\…\app.exe -x"
};
// Those keys of `data`, in key-table order; of slots that share a key code only the one that decides.
std::vector<ImportedAction> ImportedActions(const ProfileData& data, const KeyTable& table,
                                            const ExpandVariables& expand);

// How a program is shown in that list: its path with the variables expanded and the quotes gone, the
// folder part cut in the middle beyond kMaxShownFolderChars, the file name whole, then the
// arguments with runs of blanks shown as one, so that neither a long folder nor padding can hide
// which program it is.
inline constexpr size_t kMaxShownFolderChars = 60;
// How much of a macro's name or a text the list shows.
inline constexpr size_t kMaxShownNameChars = 40;
std::wstring ShownCommand(const ProgramStart& start);

// The question before a profile read from file `fileName` keeps such keys: the keys, the first
// kMaxListedActions of them, then how many more there are. Cancel leaves every one of them at its
// own function.
inline constexpr size_t kMaxListedActions = 12;
std::wstring ImportedActionsQuestion(const std::wstring& fileName, const std::vector<ImportedAction>& actions);

}  // namespace orvelle

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

// The Program keys of a profile that would start something, as (key slot index, path and
// arguments) in key-table order.
struct ProgramKey {
  int slot;
  std::wstring commandLine;  // the path, then a blank and the arguments when there are any
};
std::vector<ProgramKey> ProgramKeys(const ProfileData& data);

// The question before a profile read from file `fileName` keeps keys that start programs: the
// programs, each once and in order, the first kMaxListedPrograms of them (each cut to
// kMaxListedChars), then how many more there are.
inline constexpr size_t kMaxListedPrograms = 10;
inline constexpr size_t kMaxListedChars = 160;
std::wstring ImportedProgramsQuestion(const std::wstring& fileName, const std::vector<ProgramKey>& keys);

}  // namespace orvelle

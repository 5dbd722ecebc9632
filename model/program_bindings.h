#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/ini.h"

namespace orvelle {

// A profile that goes with a program: while a window of that program is in front, its profile is
// the active one. The program is the executable's file name ("game.exe"), compared without
// regard to case, as the system compares file names.
struct ProgramBinding {
  std::wstring program;
  int profile = 1;
  bool operator==(const ProgramBinding&) const = default;
};
using ProgramBindings = std::vector<ProgramBinding>;  // in the order the user added them

// Where the bindings live in the profile file: one key per program, "game.exe=2".
inline constexpr std::wstring_view kProgramsSection = L"Programs";
// More are not kept: a hand-edited file with thousands of lines costs nothing but the read.
inline constexpr size_t kMaxProgramBindings = 256;

// Whether two program names are the same file name: letters compared without case (Latin and
// Cyrillic), everything else as it is.
bool SameProgram(std::wstring_view a, std::wstring_view b);

// Whether `name` can be kept as a program: a file name of 1..255 characters with no folder part,
// no control characters and none of the characters a file name or an INI key cannot hold.
bool IsProgramName(std::wstring_view name);

// The bindings of a "Programs" section as the file holds them. Entries that are no program name,
// whose profile is not 1..3, or that repeat a program already read are left out; at most
// kMaxProgramBindings are kept.
ProgramBindings ReadBindings(const std::vector<IniEntry>& entries);
// The section's entries for `bindings`, in their order.
std::vector<IniEntry> BindingEntries(const ProgramBindings& bindings);

// The profile bound to the program at `path` (a full path or a bare file name); 0 when none is.
int BoundProfile(const ProgramBindings& bindings, std::wstring_view path);

// Binds `program` to `profile`: a new binding at the end, or the profile of its binding changed.
// False when the name is no program name, the profile is not 1..3, or the list is full.
bool SetBinding(ProgramBindings& bindings, std::wstring_view program, int profile);

}  // namespace orvelle

#pragma once

#include <string>
#include <string_view>

#include "model/program_bindings.h"

namespace orvelle {

// The profile the keys follow, and the bound program that chose it (empty: the home profile, the
// one the user chose by hand).
struct FollowedProfile {
  int profile = 1;
  std::wstring program;
  bool operator==(const FollowedProfile&) const = default;
};

// While the main window is shown the user is editing and sees the profile they chose: the keys
// follow it. Otherwise a bound program in front brings its profile, and any other program the home
// profile. `foregroundPath` is the path (or file name) of the program in front, empty when it is
// not known.
FollowedProfile ProfileToFollow(int home, const ProgramBindings& bindings, std::wstring_view foregroundPath,
                                bool mainWindowShown);

}  // namespace orvelle

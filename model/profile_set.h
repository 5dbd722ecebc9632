#pragma once

#include <array>

#include "model/profile_data.h"

namespace orvelle {

// The working copy the main window shows and edits, the three profile copies, the active
// profile number and the pending-changes flag.
struct ProfileSet {
  ProfileData working;
  std::array<ProfileData, 3> profiles;
  int activeProfile = 1;
  bool pending = false;

  // The copy of profile n (1..3).
  ProfileData& Profile(int n) { return profiles[static_cast<size_t>(n - 1)]; }
  const ProfileData& Profile(int n) const { return profiles[static_cast<size_t>(n - 1)]; }
  ProfileData& Active() { return Profile(activeProfile); }
  const ProfileData& Active() const { return Profile(activeProfile); }
};

constexpr bool IsProfileNumber(int n) { return n >= 1 && n <= 3; }

// Every KeyMap back to the identity; everything else of the four copies emptied.
void InitKeyMaps(ProfileSet& set);

}  // namespace orvelle

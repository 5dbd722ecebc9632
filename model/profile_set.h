#pragma once

#include <array>
#include <string>

#include "model/profile_data.h"
#include "model/program_bindings.h"

namespace orvelle {

// The longest a key the program taps is kept down, in milliseconds.
inline constexpr int kMaxTapMs = 50;

// The working copy the main window shows and edits, the three profile copies, the active
// profile number and the pending-changes flag.
struct ProfileSet {
  ProfileData working;
  std::array<ProfileData, 3> profiles;
  int activeProfile = 1;
  bool pending = false;
  // The key hold time: how long each key the program taps stays down before it is let go, in
  // milliseconds (0..kMaxTapMs; 0 lets it go at once). Some games miss a key that is down for no
  // time at all. A setting of the program, not of a profile: exports and imports leave it alone.
  int tapMs = 0;
  // Which programs bring which profile to the front; also a setting of the program: exports and
  // imports carry profiles only.
  ProgramBindings bindings;
  // Whether the user asked for ORVELLE to run as administrator (and so to start with Windows
  // through a logon task); a setting of the program as well.
  bool runAsAdmin = false;
  // Whether a change of the active profile or of the pause is shown on the screen while the main
  // window is hidden; a setting of the program as well.
  bool osd = false;
  // The language the user chose from "Menu" ("ru" or "en"); empty until one is chosen, when the
  // user's UI language decides. A setting of the program too.
  std::wstring language;

  // The copy of profile n (1..3).
  ProfileData& Profile(int n) { return profiles[static_cast<size_t>(n - 1)]; }
  const ProfileData& Profile(int n) const { return profiles[static_cast<size_t>(n - 1)]; }
  ProfileData& Active() { return Profile(activeProfile); }
  const ProfileData& Active() const { return Profile(activeProfile); }
};

constexpr bool IsProfileNumber(int n) { return n >= 1 && n <= 3; }

// Every KeyMap back to the identity; everything else of the four copies emptied. The active
// number, the key hold time and the program bindings stay.
void InitKeyMaps(ProfileSet& set);

}  // namespace orvelle

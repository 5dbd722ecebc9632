#pragma once

#include <array>
#include <optional>

#include "model/profile_data.h"
#include "model/profile_set.h"

namespace orvelle {

// The profile a profile key's press makes active, given the one the keys follow now: 1, 2 or 3
// as the key says, or the next one (3 is followed by 1). 0 for a pause key, which switches
// nothing, and for a value this version does not know.
int ProfileChosenByKey(ProfileTarget target, int active);

// A profile switch made by a key, in the middle of a game: it never asks a question, and never
// loses what the main window holds unapplied. Edits not yet applied to the profile left are put
// aside and come back to the working copy when a key makes that profile the home profile again,
// unless the profile itself changed meanwhile (applied, imported, reset), which its newer state
// then wins. Used on the user interface's thread.
class KeySwitch {
 public:
  // Makes profile `n` the home profile as a click on its Profile button does, without the
  // question.
  void Switch(ProfileSet& set, int n);

 private:
  struct Unapplied {
    ProfileData edits;  // the working copy when the profile was left
    ProfileData base;   // the profile as it was then
  };
  std::array<std::optional<Unapplied>, 3> aside_;
};

}  // namespace orvelle

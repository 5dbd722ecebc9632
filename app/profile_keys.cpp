#include "app/profile_keys.h"

namespace orvelle {

int ProfileChosenByKey(ProfileTarget target, int active) {
  switch (target) {
    case ProfileTarget::One:
      return 1;
    case ProfileTarget::Two:
      return 2;
    case ProfileTarget::Three:
      return 3;
    case ProfileTarget::Next:
      return IsProfileNumber(active) ? active % 3 + 1 : 1;
    default:
      return 0;
  }
}

void KeySwitch::Switch(ProfileSet& set, int n) {
  if (!IsProfileNumber(n) || !IsProfileNumber(set.activeProfile)) return;
  const int left = set.activeProfile;
  if (n == left) return;
  if (set.pending) aside_[static_cast<size_t>(left - 1)] = Unapplied{set.working, set.Active()};
  set.activeProfile = n;
  std::optional<Unapplied>& back = aside_[static_cast<size_t>(n - 1)];
  if (back && back->base == set.Active()) {
    set.working = std::move(back->edits);
    set.pending = true;
  } else {
    CopyProfileData(set.Active(), set.working);
    set.pending = false;
  }
  back.reset();
}

}  // namespace orvelle

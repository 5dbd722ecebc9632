// A profile key's switch as the main window makes it: which profile, and the working copy's
// unapplied edits, which a key never loses and never asks about.
#include <gtest/gtest.h>

#include "app/profile_keys.h"

namespace orvelle {
namespace {

TEST(ProfileKeys, WhichProfileAKeyMakesActive) {
  const std::tuple<ProfileTarget, int, int> cases[] = {
      {ProfileTarget::One, 3, 1},  {ProfileTarget::Two, 2, 2},   {ProfileTarget::Three, 1, 3},
      {ProfileTarget::Next, 1, 2}, {ProfileTarget::Next, 2, 3},  {ProfileTarget::Next, 3, 1},
      {ProfileTarget::Next, 0, 1}, {ProfileTarget::Pause, 2, 0}, {ProfileTarget::None, 2, 0},
  };
  for (const auto& [target, active, chosen] : cases) {
    EXPECT_EQ(ProfileChosenByKey(target, active), chosen) << static_cast<int>(target) << " from " << active;
  }
}

TEST(ProfileKeys, AKeySwitchKeepsUnappliedEditsForTheProfileTheyBelongTo) {
  ProfileSet set;
  for (int n = 1; n <= 3; ++n) set.Profile(n).assignedSlots = {n};
  set.working = set.Profile(1);
  set.working.assignedSlots = {1, 99};  // an edit not applied yet
  set.pending = true;
  KeySwitch keys;

  keys.Switch(set, 2);
  EXPECT_EQ(set.activeProfile, 2);
  EXPECT_EQ(set.working, set.Profile(2));
  EXPECT_FALSE(set.pending);
  EXPECT_EQ(set.Profile(1).assignedSlots, std::vector<int>{1}) << "nothing applied without asking";

  keys.Switch(set, 1);
  EXPECT_EQ(set.working.assignedSlots, (std::vector<int>{1, 99})) << "the edit is back where it was made";
  EXPECT_TRUE(set.pending);

  // Put aside again; then profile 1 changes on its own (an import): its newer state wins.
  keys.Switch(set, 3);
  set.Profile(1).assignedSlots = {7};
  keys.Switch(set, 1);
  EXPECT_EQ(set.working.assignedSlots, std::vector<int>{7});
  EXPECT_FALSE(set.pending);

  keys.Switch(set, 1);
  EXPECT_EQ(set.activeProfile, 1) << "the profile already active changes nothing";
  keys.Switch(set, 4);
  EXPECT_EQ(set.activeProfile, 1);
}

TEST(ProfileKeys, TheDialogsProfileAndMouseRecordsNameWhatTheyDo) {
  EXPECT_EQ(ProfileKeyRecord(ProfileTarget::Next)->name, L"Profile: next");
  EXPECT_EQ(ProfileKeyRecord(ProfileTarget::Two)->name, L"Profile: 2");
  EXPECT_EQ(MouseKeyRecord(MouseAction::WheelUp)->name, L"Mouse: wheelup");
  EXPECT_EQ(MouseKeyRecord(MouseAction::X1)->kind, AssignKind::Mouse);
  EXPECT_FALSE(ProfileKeyRecord(ProfileTarget::None));
  EXPECT_FALSE(MouseKeyRecord(MouseAction::None));
}

}  // namespace
}  // namespace orvelle

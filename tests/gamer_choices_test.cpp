// The assignment dialog's Profile and Mouse choices and its Turbo box, and how their edit is
// committed.
#include <gtest/gtest.h>

#include <functional>

#include "assign/assign_dialog.h"
#include "model/profile_ops.h"
#include "model/working_edits.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

class SilentUi final : public AssignUi {
 public:
  std::wstring KeyName(int32_t) override { return L"key"; }
  bool ConfirmMacroDelete(std::wstring_view) override { return false; }
  bool AskYesNo(std::wstring_view) override { return true; }
  void Beep() override {}
};

class GamerChoicesTest : public ::testing::Test {
 protected:
  // Opens the dialog for key 116 (F5) holding `record`, a profile key in every profile or not.
  void OpenOn(const KeyAssignment& record, bool inEveryProfile = true) {
    AssignEdit& e = dialog.edit();
    e = AssignEdit{};
    e.keyCode = 116;
    e.capturedKeyCode = 116;
    e.kind = record.kind;
    e.displayName = record.name;
    e.hold = record.hold;
    e.profileTarget = record.profileTarget;
    e.mouse = record.mouse;
    e.turboMs = record.turboMs;
    e.allProfiles = record.kind == AssignKind::Profile && inEveryProfile;
    dialog.Open();
  }
  void Ok() { dialog.OnOk(media, -1, 2); }
  const AssignView& view() const { return dialog.view(); }

  SilentUi ui;
  AssignDialog dialog{ui};
  MediaNameMap media;
};

KeyAssignment Plain() { return KeyAssignment{L"", AssignKind::SingleKey, 0, false}; }
KeyAssignment ProfileKey(ProfileTarget target) { return *ProfileKeyRecord(target); }
KeyAssignment MouseKey(MouseAction action, int turboMs = 0) {
  KeyAssignment record = *MouseKeyRecord(action);
  record.turboMs = turboMs;
  return record;
}

TEST_F(GamerChoicesTest, OkReturnsWhatEachChoiceMakes) {
  struct Case {
    const char* what;
    KeyAssignment opened;
    std::function<void()> act;
    AssignKind kind;
    ProfileTarget target;
    MouseAction mouse;
    int turboMs;
    bool allProfiles;
    std::wstring name;
  };
  const Case cases[] = {
      {"Profile 2 chosen on a plain key, every profile by default", Plain(),
       [this] {
         dialog.OnOtherButton();
         dialog.ChooseProfile();
         dialog.SelectProfile(1);
       },
       AssignKind::Profile, ProfileTarget::Two, MouseAction::None, 0, true, L"Profile: 2"},
      {"pause in this profile alone", Plain(),
       [this] {
         dialog.OnOtherButton();
         dialog.ChooseProfile();
         dialog.SelectProfile(4);
         dialog.ToggleAllProfiles();
       },
       AssignKind::Profile, ProfileTarget::Pause, MouseAction::None, 0, false, L"Profile: pause"},
      {"the mouse list's last item is wheel down", Plain(),
       [this] {
         dialog.OnOtherButton();
         dialog.ChooseMouse();
         dialog.SelectMouse(6);
       },
       AssignKind::Mouse, ProfileTarget::None, MouseAction::WheelDown, 0, false, L"Mouse: wheeldown"},
      {"a list item out of range changes nothing", Plain(),
       [this] {
         dialog.OnOtherButton();
         dialog.ChooseMouse();
         dialog.SelectMouse(7);
       },
       AssignKind::Mouse, ProfileTarget::None, MouseAction::Left, 0, false, L"Mouse: left"},
      {"a profile key opened and OK'd stays as it is", ProfileKey(ProfileTarget::Next), [] {}, AssignKind::Profile,
       ProfileTarget::Next, MouseAction::None, 0, true, L"Profile: next"},
      {"a mouse turbo key opened and OK'd stays as it is", MouseKey(MouseAction::X2, 120), [] {}, AssignKind::Mouse,
       ProfileTarget::None, MouseAction::X2, 120, false, L"Mouse: x2"},
      {"a mouse key gets turbo at 50 when first ticked", MouseKey(MouseAction::Right), [this] { dialog.ToggleTurbo(); },
       AssignKind::Mouse, ProfileTarget::None, MouseAction::Right, 50, false, L"Mouse: right"},
      {"turbo on a function key", Plain(),
       [this] {
         dialog.OnFunctionButton();
         dialog.ToggleTurbo();
       },
       AssignKind::Function, ProfileTarget::None, MouseAction::None, 50, false, L"Вставить"},
      {"a profile key leaves for a program choice: no target left", ProfileKey(ProfileTarget::One),
       [this] { dialog.ChooseDisabled(); }, AssignKind::Disabled, ProfileTarget::None, MouseAction::None, 0, false,
       L"Disabled"},
  };
  for (const Case& c : cases) {
    OpenOn(c.opened);
    c.act();
    Ok();
    const AssignEdit& e = dialog.edit();
    EXPECT_EQ(e.kind, c.kind) << c.what;
    EXPECT_EQ(e.profileTarget, c.target) << c.what;
    EXPECT_EQ(e.mouse, c.mouse) << c.what;
    EXPECT_EQ(e.turboMs, c.turboMs) << c.what;
    EXPECT_EQ(e.allProfiles, c.allProfiles) << c.what;
    if (c.kind != AssignKind::Function) {
      EXPECT_EQ(e.displayName, c.name) << c.what;
    }
  }
}

TEST_F(GamerChoicesTest, AProfileKeyKeptInOneProfileStaysThereOnOk) {
  OpenOn(ProfileKey(ProfileTarget::One), false);
  EXPECT_FALSE(view().allProfilesBox.selected) << "the box shows where the key is";
  Ok();
  EXPECT_FALSE(dialog.edit().allProfiles) << "OK does not spread it over the other profiles";
}

TEST_F(GamerChoicesTest, TurboShowsForTheKindsThatTakeItAndExcludesHold) {
  OpenOn(Plain());
  EXPECT_TRUE(view().turboVisible);
  dialog.OnMacroButton();
  EXPECT_FALSE(view().turboVisible) << "a macro is not tapped";
  EXPECT_FALSE(view().turboBoxShown);
  dialog.OnOtherButton();
  dialog.ChooseProfile();
  EXPECT_FALSE(view().turboVisible);
  EXPECT_TRUE(view().turboBoxShown) << "the box drawn on the page rests there";
  dialog.ChooseMouse();
  EXPECT_TRUE(view().turboVisible);
  dialog.OnSingleKeyButton();
  EXPECT_TRUE(view().turboBoxShown);

  dialog.ToggleHold();
  dialog.ToggleTurbo();
  EXPECT_TRUE(view().turboBox.selected);
  EXPECT_FALSE(view().holdBox.selected) << "ticking turbo clears hold";
  EXPECT_EQ(view().turboText, L"50");
  dialog.ToggleHold();
  EXPECT_FALSE(view().turboBox.selected) << "ticking hold clears turbo";
  Ok();
  EXPECT_TRUE(dialog.edit().hold);
  EXPECT_EQ(dialog.edit().turboMs, 0);

  KeyAssignment both = MouseKey(MouseAction::Left, 80);
  both.hold = true;
  OpenOn(both);
  EXPECT_TRUE(view().turboBox.selected);
  EXPECT_FALSE(view().holdBox.selected) << "a key holding both opens as turbo";
}

TEST_F(GamerChoicesTest, ThePeriodFieldTakesTwentyToAThousand) {
  struct Case {
    std::wstring typed;
    int kept;
    bool refused;
  };
  const Case cases[] = {{L"20", 20, false},  {L"1000", 1000, false}, {L"19", 50, true},
                        {L"1001", 50, true}, {L"0", 50, true},       {L"-30", 50, true},
                        {L"3x", 50, true},   {L"", 50, false},       {L"250", 250, false}};
  for (const Case& c : cases) {
    OpenOn(Plain());
    dialog.ToggleTurbo();
    dialog.SetTurboPeriod(c.typed);
    EXPECT_EQ(view().turboHint.empty(), !c.refused) << ::testing::PrintToString(c.typed);
    Ok();
    EXPECT_EQ(dialog.edit().turboMs, c.kept) << "a refused period keeps the one before";
  }
  OpenOn(Plain());
  dialog.ToggleTurbo();
  dialog.SetTurboPeriod(L"5");
  dialog.ShowTurboPeriod();
  EXPECT_EQ(view().turboText, L"50") << "leaving the field shows the period kept";
  EXPECT_TRUE(view().turboHint.empty());
}

TEST_F(GamerChoicesTest, ThePeriodFieldTakesTypingOnlyWhileTheBoxIsTicked) {
  OpenOn(MouseKey(MouseAction::Left, 80));
  EXPECT_TRUE(view().turboFieldEnabled) << "a turbo key opens with its period ready";
  dialog.SetTurboPeriod(L"5");
  EXPECT_FALSE(view().turboHint.empty());
  dialog.ToggleTurbo();
  EXPECT_FALSE(view().turboFieldEnabled);
  EXPECT_TRUE(view().turboHint.empty()) << "a cleared box leaves no refusal showing";
  EXPECT_EQ(view().turboText, L"80");
  dialog.ToggleTurbo();
  EXPECT_TRUE(view().turboFieldEnabled);
  EXPECT_EQ(view().turboText, L"80") << "ticked again: the period kept, not the first one";

  OpenOn(Plain());
  EXPECT_FALSE(view().turboFieldEnabled);
  dialog.ToggleTurbo();
  dialog.ToggleHold();
  EXPECT_FALSE(view().turboFieldEnabled) << "hold clears turbo, and its period rests";
}

TEST_F(GamerChoicesTest, DigitsTypedIntoThePeriodAreNoKeyForSingleKeyMode) {
  OpenOn(Plain());
  dialog.ToggleTurbo();
  ASSERT_TRUE(view().recordingHook) << "single-key mode takes the key pressed";
  dialog.EnterTurboPeriod();
  EXPECT_FALSE(view().recordingHook);
  dialog.EnterTurboPeriod();  // told twice: still one way back
  dialog.SetTurboPeriod(L"75");
  dialog.LeaveTurboPeriod();
  EXPECT_TRUE(view().recordingHook) << "the field left: keys are taken again";
  Ok();
  EXPECT_EQ(dialog.edit().kind, AssignKind::SingleKey);
  EXPECT_EQ(dialog.edit().capturedKeyCode, 116) << "the key still sends itself";
  EXPECT_EQ(dialog.edit().turboMs, 75);

  OpenOn(MouseKey(MouseAction::Left, 80));
  dialog.EnterTurboPeriod();
  dialog.LeaveTurboPeriod();
  EXPECT_FALSE(view().recordingHook) << "the \"Other\" page never takes keys";
}

TEST_F(GamerChoicesTest, AnOlderLayoutHidesTheChoicesAndOkLeavesTheKeyAsItIs) {
  dialog.SetGamerControlsPlaced(false);
  OpenOn(ProfileKey(ProfileTarget::Three));
  EXPECT_FALSE(view().otherControlsVisible);
  Ok();
  EXPECT_EQ(dialog.edit().kind, AssignKind::Profile);
  EXPECT_EQ(dialog.edit().profileTarget, ProfileTarget::Three);

  OpenOn(MouseKey(MouseAction::Middle, 40));
  EXPECT_FALSE(view().turboVisible);
  Ok();
  EXPECT_EQ(dialog.edit().mouse, MouseAction::Middle);
  EXPECT_EQ(dialog.edit().turboMs, 40);

  OpenOn(Plain());
  dialog.OnOtherButton();
  EXPECT_FALSE(view().gamerChoicesVisible);
}

TEST(GamerCommit, AProfileKeyOpensWithTheBoxAsTheProfilesHaveIt) {
  const KeyTable table = testing::MakeFullKeyTable();
  ProfileSet set;
  InitKeyMaps(set);
  AssignEdit edit;
  PrepareSlotEdit(set, table, 5, edit);
  edit.kind = AssignKind::Profile;
  edit.profileTarget = ProfileTarget::Next;
  edit.allProfiles = true;
  CommitSlotEdit(set, table, 5, edit);
  AssignEdit opened;
  PrepareSlotEdit(set, table, 5, opened);
  EXPECT_TRUE(opened.allProfiles) << "in all three";
  set.Profile(3).records[4] = *ProfileKeyRecord(ProfileTarget::One);
  PrepareSlotEdit(set, table, 5, opened);
  EXPECT_FALSE(opened.allProfiles) << "another target in profile 3";
  set.Profile(3).records[4] = KeyAssignment{};
  PrepareSlotEdit(set, table, 5, opened);
  EXPECT_FALSE(opened.allProfiles) << "not a profile key in profile 3";
}

TEST(GamerCommit, AProfileKeyGoesIntoEveryProfileWhenAskedAndKeepsItsTurboElsewhere) {
  const KeyTable table = testing::MakeFullKeyTable();
  for (const bool all : {true, false}) {
    ProfileSet set;
    InitKeyMaps(set);
    set.activeProfile = 2;
    AssignEdit edit;
    PrepareSlotEdit(set, table, 5, edit);
    edit.kind = AssignKind::Profile;
    edit.profileTarget = ProfileTarget::Two;
    edit.allProfiles = all;
    CommitSlotEdit(set, table, 5, edit);
    for (int n = 1; n <= 3; ++n) {
      const KeyAssignment& record = set.Profile(n).records[4];
      const bool expected = all || n == 2;
      EXPECT_EQ(record.kind == AssignKind::Profile && record.profileTarget == ProfileTarget::Two, expected)
          << "profile " << n << (all ? " with" : " without") << " the box";
      const auto& listed = set.Profile(n).assignedSlots;
      EXPECT_EQ(std::count(listed.begin(), listed.end(), 4), expected ? 1 : 0);
    }
    EXPECT_FALSE(set.pending);
  }

  ProfileSet set;
  InitKeyMaps(set);
  AssignEdit edit;
  PrepareSlotEdit(set, table, 5, edit);
  edit.turboMs = 50;
  edit.hold = true;
  CommitSlotEdit(set, table, 5, edit);
  EXPECT_EQ(set.Active().records[4].turboMs, 50) << "a key sending itself may be rapid-fired";
  EXPECT_FALSE(set.Active().records[4].hold);
  PrepareSlotEdit(set, table, 5, edit);
  EXPECT_EQ(edit.turboMs, 50);
  edit.kind = AssignKind::Mouse;
  edit.mouse = MouseAction::X1;
  edit.turboMs = 5;  // out of range: off
  CommitSlotEdit(set, table, 5, edit);
  EXPECT_EQ(set.Active().records[4].mouse, MouseAction::X1);
  EXPECT_EQ(set.Active().records[4].turboMs, 0);
}

}  // namespace
}  // namespace orvelle

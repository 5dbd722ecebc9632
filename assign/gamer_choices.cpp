#include "assign/gamer_choices.h"

#include "assign/field_input.h"
#include "base/text.h"
#include "base/texts.h"

namespace orvelle {

std::vector<std::wstring> ProfileListItems() {
  return {std::wstring(Text(TextId::ProfileChoice1)), std::wstring(Text(TextId::ProfileChoice2)),
          std::wstring(Text(TextId::ProfileChoice3)), std::wstring(Text(TextId::ProfileChoiceNext)),
          std::wstring(Text(TextId::ProfileChoicePause))};
}

std::vector<std::wstring> MouseListItems() {
  return {std::wstring(Text(TextId::MouseLeft)),     std::wstring(Text(TextId::MouseRight)),
          std::wstring(Text(TextId::MouseMiddle)),   std::wstring(Text(TextId::MouseX1)),
          std::wstring(Text(TextId::MouseX2)),       std::wstring(Text(TextId::MouseWheelUp)),
          std::wstring(Text(TextId::MouseWheelDown))};
}

namespace {

// A value's place in its list (None is not listed); the first item for None.
template <typename Value>
int ItemOf(Value value) {
  const int item = static_cast<int>(value) - 1;
  return item < 0 ? 0 : item;
}

bool InList(int item, size_t count) { return item >= 0 && item < static_cast<int>(count); }

}  // namespace

void GamerChoices::Open() {
  view_.profileChoice.sticky = view_.mouseChoice.sticky = true;
  view_.allProfilesBox.sticky = view_.turboBox.sticky = true;
  view_.profileSelection = ItemOf(edit_.profileTarget);
  view_.mouseSelection = ItemOf(edit_.mouse);
  // On for a new profile key: a key that switches away is in every profile, so there is always a
  // way back. A profile key opened again shows where it is (AssignEdit::allProfiles).
  view_.allProfilesBox.selected = edit_.kind != AssignKind::Profile || edit_.allProfiles;
  periodMs_ = IsTurboPeriod(edit_.turboMs) ? edit_.turboMs : 0;
  view_.turboBox.selected = view_.turboFieldEnabled = periodMs_ != 0;
  view_.turboText = periodMs_ != 0 ? FormatInt(periodMs_) : std::wstring();
  view_.turboHint.clear();
  if (view_.turboBox.selected) view_.holdBox.selected = false;
  typingPeriod_ = false;
}

void GamerChoices::ShowChoice(AssignKind kind) {
  view_.profileChoice.selected = kind == AssignKind::Profile;
  view_.mouseChoice.selected = kind == AssignKind::Mouse;
  view_.profileListEnabled = kind == AssignKind::Profile;
  view_.mouseListEnabled = kind == AssignKind::Mouse;
  view_.gamerChoicesVisible = placed_;
}

void GamerChoices::ShowTurbo(bool keySlot) {
  view_.turboVisible = placed_ && keySlot && TakesTurbo(edit_.kind);
  // The "Other" page is drawn with the box: it stays there, resting, for the choices without turbo.
  view_.turboBoxShown = view_.turboVisible || (placed_ && view_.otherControlsVisible);
  view_.turboFieldEnabled = view_.turboVisible && view_.turboBox.selected;
}

void GamerChoices::SelectProfile(int item) {
  if (view_.profileListEnabled && InList(item, ProfileListItems().size())) view_.profileSelection = item;
}

void GamerChoices::SelectMouse(int item) {
  if (view_.mouseListEnabled && InList(item, MouseListItems().size())) view_.mouseSelection = item;
}

void GamerChoices::ToggleAllProfiles() {
  if (view_.profileListEnabled) view_.allProfilesBox.selected = !view_.allProfilesBox.selected;
}

void GamerChoices::ToggleTurbo() {
  if (!view_.turboVisible) return;
  view_.turboBox.selected = view_.turboFieldEnabled = !view_.turboBox.selected;
  if (!view_.turboBox.selected) {
    ShowTurboPeriod();  // a refused text resting in the field says nothing any more
    return;
  }
  view_.holdBox.selected = false;
  if (periodMs_ == 0) periodMs_ = kFirstTurboMs;
  view_.turboText = FormatInt(periodMs_);
  view_.turboHint.clear();
}

void GamerChoices::SetTurboPeriod(const std::wstring& fieldText) {
  view_.turboText = fieldText;
  if (fieldText.empty()) return;
  if (const auto ms = ParseFieldNumber(fieldText, kMinTurboMs, kMaxTurboMs)) {
    periodMs_ = *ms;
    view_.turboHint.clear();
  } else {
    view_.turboHint = Text(TextId::TurboPeriodHint);
  }
}

void GamerChoices::ShowTurboPeriod() {
  view_.turboText = periodMs_ != 0 ? FormatInt(periodMs_) : std::wstring();
  view_.turboHint.clear();
}

void GamerChoices::EnterTurboPeriod() {
  if (typingPeriod_) return;
  typingPeriod_ = true;
  hookBeforePeriod_ = view_.recordingHook;
  view_.recordingHook = false;
}

void GamerChoices::LeaveTurboPeriod() {
  ShowTurboPeriod();
  if (!typingPeriod_) return;
  typingPeriod_ = false;
  // A mode button takes the focus before its click is handled, so the mode the field was typed in
  // is still the dialog's and gets its capture back.
  view_.recordingHook = hookBeforePeriod_;
}

std::optional<KeyAssignment> GamerChoices::OtherRecord(AssignKind kind) const {
  if (kind == AssignKind::Profile) {
    return ProfileKeyRecord(static_cast<ProfileTarget>(view_.profileSelection + 1));
  }
  return MouseKeyRecord(static_cast<MouseAction>(view_.mouseSelection + 1));
}

void GamerChoices::Ok() {
  edit_.allProfiles = edit_.kind == AssignKind::Profile && view_.allProfilesBox.selected;
  if (!placed_) return;  // the key keeps the period it had
  edit_.turboMs = view_.turboVisible && view_.turboBox.selected ? periodMs_ : 0;
  if (edit_.turboMs != 0) edit_.hold = false;
}

void GamerChoices::Release() {
  view_.profileChoice.Reset();
  view_.mouseChoice.Reset();
  view_.allProfilesBox.Reset();
  view_.turboBox.Reset();
}

}  // namespace orvelle

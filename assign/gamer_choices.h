#pragma once

#include <optional>
#include <string>
#include <vector>

#include "assign/assign_view.h"
#include "model/profile_data.h"
#include "model/working_edits.h"

namespace orvelle {

// The period a turbo box offers when it is first ticked, in milliseconds.
inline constexpr int kFirstTurboMs = 50;

// The lists of the "Other" mode's Profile and Mouse choices as they show them, in the order of
// ProfileTarget and MouseAction (None left out).
std::vector<std::wstring> ProfileListItems();
std::vector<std::wstring> MouseListItems();

// The assignment dialog's choices for keys used in games: the "Other" mode's Profile choice with
// its list and its all-profiles box, its Mouse choice with its list, and the Turbo box with its
// period beside Hold. It works on the dialog's edit and view, which its owner (AssignDialog) keeps.
class GamerChoices {
 public:
  GamerChoices(AssignEdit& edit, AssignView& view) : edit_(edit), view_(view) {}
  GamerChoices(const GamerChoices&) = delete;
  GamerChoices& operator=(const GamerChoices&) = delete;

  // Whether the skin places these controls; an older layout shows none, and OK then leaves the
  // key's Profile, Mouse or Turbo values as they are.
  void SetPlaced(bool placed) { placed_ = placed; }
  bool placed() const { return placed_; }

  // Opening: the lists at the key's values (or their first item), the all-profiles box ticked,
  // the turbo box as the key has it.
  void Open();
  // The choices' look for the "Other" mode's chosen kind.
  void ShowChoice(AssignKind kind);
  // The turbo box shows for the kinds that take turbo, whatever mode shows them.
  void ShowTurbo(bool keySlot);
  void SelectProfile(int item);
  void SelectMouse(int item);
  void ToggleAllProfiles();
  // The turbo box: ticking it clears Hold, and the first tick offers kFirstTurboMs.
  void ToggleTurbo();
  // The Hold box was ticked: turbo goes, the two exclude each other.
  void HoldTicked() { view_.turboBox.selected = view_.turboFieldEnabled = false; }
  // Every change of the period field's text. A text that is no period from kMinTurboMs to
  // kMaxTurboMs changes nothing and shows why; an empty field is a period being typed.
  void SetTurboPeriod(const std::wstring& fieldText);
  // The field lost the focus: it shows the period kept.
  void ShowTurboPeriod();
  // The field took the focus: the keys typed are its digits, not a key for single-key mode to take,
  // until it loses the focus again (which also shows the period kept).
  void EnterTurboPeriod();
  void LeaveTurboPeriod();

  // OK in the "Other" mode on a Profile or Mouse choice: the record it makes, nothing for none.
  std::optional<KeyAssignment> OtherRecord(AssignKind kind) const;
  // OK: the edit's turbo period as the box says it (0 when off or not shown by this layout,
  // where the key keeps what it had) and its Profile edit's all-profiles wish.
  void Ok();
  void Release();

 private:
  AssignEdit& edit_;
  AssignView& view_;
  bool placed_ = true;
  int periodMs_ = 0;  // the last period the field held, 0 before any
  bool typingPeriod_ = false;
  bool hookBeforePeriod_ = false;  // whether the recording hook ran before the field took the focus
};

}  // namespace orvelle

#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assign/assign_view.h"
#include "assign/gamer_choices.h"
#include "assign/macro_editor.h"
#include "assign/recording.h"
#include "model/key_table.h"
#include "model/profile_data.h"
#include "model/working_edits.h"

namespace orvelle {

// The key assignment dialog's logic: modes, Clear, Cancel and OK; its macro editor (MacroEditor)
// keeps the macro list, the steps and recording.
// One object lives as long as the main window; each opening starts with Open.
class AssignDialog {
 public:
  explicit AssignDialog(AssignUi& ui);
  AssignDialog(const AssignDialog&) = delete;
  AssignDialog& operator=(const AssignDialog&) = delete;

  // Handed over by the main window before each opening, taken back after OK.
  AssignEdit& edit() { return edit_; }
  const AssignEdit& edit() const { return edit_; }
  const AssignView& view() const { return view_; }
  AssignKind kind() const { return edit_.kind; }
  EditTarget target() const { return edit_.target; }
  int capturedKeyCode() const { return edit_.capturedKeyCode; }
  bool recording() const { return macros_.recording(); }

  // Whether the skin places the "Other" mode (PlacesOtherMode); set once, before the openings.
  void SetOtherModePlaced(bool placed) { otherModePlaced_ = placed; }
  // Whether it places the Profile and Mouse choices and the Turbo box; likewise.
  void SetGamerControlsPlaced(bool placed) { gamer_.SetPlaced(placed); }
  // Opening: the lists, the layout's hidden controls and the mode the main window handed over.
  void Open();

  // The check boxes: each click ticks or clears.
  void ToggleHold();
  void ToggleKeyDelays() { macros_.ToggleKeyDelays(); }
  void ToggleTurbo() { gamer_.ToggleTurbo(); }
  void ToggleAllProfiles() { gamer_.ToggleAllProfiles(); }
  void SetTurboPeriod(const std::wstring& fieldText) { gamer_.SetTurboPeriod(fieldText); }
  void ShowTurboPeriod() { gamer_.ShowTurboPeriod(); }
  void EnterTurboPeriod() { gamer_.EnterTurboPeriod(); }
  void LeaveTurboPeriod() { gamer_.LeaveTurboPeriod(); }

  // The mode buttons, Clear and Cancel.
  void OnSingleKeyButton();
  void OnMacroButton();
  void OnMediaButton();
  void OnFunctionButton();
  void OnOtherButton();
  void OnClear();
  void OnCancel();

  // The "Other" mode's choices, its fields (every change of their text) and the browse button's
  // file.
  void ChooseDisabled() { Choose(AssignKind::Disabled); }
  void ChooseText() { Choose(AssignKind::Text); }
  void ChooseProgram() { Choose(AssignKind::Program); }
  void ChooseProfile() { Choose(AssignKind::Profile); }
  void ChooseMouse() { Choose(AssignKind::Mouse); }
  void SelectProfile(int item) { gamer_.SelectProfile(item); }
  void SelectMouse(int item) { gamer_.SelectMouse(item); }
  void SetText(const std::wstring& fieldText) { view_.textFieldText = fieldText; }
  void SetProgramPath(const std::wstring& fieldText) { view_.programPathText = fieldText; }
  void SetProgramArgs(const std::wstring& fieldText) { view_.programArgsText = fieldText; }
  void TakeBrowsedFile(const std::wstring& path);

  // OK: the edit filled for the model to commit (SettleKeyEntry, CommitSlotEdit): the display
  // name, the hold, what the key is to send and the macro it plays. `mediaSelection` and `functionSelection` are the lists' current
  // selections (−1 for none). In the "Other" mode: the chosen kind with its text, or its program
  // and arguments, cleaned and cut to their limits, and the name DisplayNameOf gives it; the key's
  // entry is the identity and it plays no macro. A text or path left empty gives the key back
  // its own function, unassigned, as Clear does.
  void OnOk(const MediaNameMap& media, int mediaSelection, int functionSelection);

  // The macro editor's controls.
  void AddMacro() { macros_.AddMacro(); }
  void DeleteMacro() { macros_.DeleteMacro(); }
  void RenameMacro(const std::wstring& fieldText) { macros_.RenameMacro(fieldText); }
  void RefillMacroNames() { macros_.RefillMacroNames(); }
  void SelectMacro(int item) { macros_.SelectMacro(item); }
  void SetLoopCount(const std::wstring& fieldText) { macros_.SetLoopCount(fieldText); }
  void ShowLoopCount() { macros_.ShowLoopCount(); }
  void DeleteStep(int selectedRow) { macros_.DeleteStep(selectedRow); }
  void ClearSteps() { macros_.ClearSteps(); }
  void MoveStepToTop(int selectedRow) { macros_.MoveStep(StepMove::ToTop, selectedRow); }
  void MoveStepUp(int selectedRow) { macros_.MoveStep(StepMove::Up, selectedRow); }
  void MoveStepDown(int selectedRow) { macros_.MoveStep(StepMove::Down, selectedRow); }
  void MoveStepToBottom(int selectedRow) { macros_.MoveStep(StepMove::ToBottom, selectedRow); }
  bool CanEditDelay(int row) const { return macros_.CanEditDelay(row); }
  std::wstring DelayFieldText(int row) { return macros_.DelayFieldText(row); }
  bool SetStepDelay(int row, const std::wstring& fieldText) { return macros_.SetStepDelay(row, fieldText); }
  // The user selected a row of the step list (−1: none).
  void OnStepSelected(int row) { view_.stepSelection = row; }
  void OnRecordButton(int16_t numLockState) { macros_.OnRecordButton(numLockState); }
  void RecordKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time) {
    macros_.RecordKeyEvent(press, vkCode, scanCode, flags, time);
  }

  // One key event seen by the recording hook, which hands over every one, passed or swallowed;
  // `time` is its time stamp in milliseconds. Single-key mode takes one key: a key pressed while
  // another is held makes a combination, which the key field refuses in words, the key captured
  // before the combination began staying what the key sends.
  void OnHookKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time);
  // The recorded-key message: takes the events the recording hook left, in order. A message sent
  // from another thread is not our hook's and changes nothing; false then.
  bool TakeRecordedKeys(RecordedKeyQueue& keys, bool sentFromAnotherThread);

 private:
  bool MacroTableAlone() const { return edit_.target == EditTarget::MacroTable; }
  // A mode button clicked: the recording stops, the edit takes `kind`, the button is selected,
  // every mode's controls hide but `control`, the Hold box shows and the focus goes to `focus`.
  void EnterMode(size_t button, AssignKind kind, bool& control, DialogFocus focus);
  void SelectModeButton(int button);  // the clicked mode button selected, the others cleared
  // Every mode's own controls hidden; the mode's handler then shows its own.
  void HideModeControls();
  void Choose(AssignKind kind);      // a choice clicked: the edit's kind and the focus follow it
  void ShowChoice(AssignKind kind);  // the choices and fields as that choice shows them
  AssignKind ChosenOtherKind() const;
  void OtherOk();
  void ReleaseSkin();
  void ShowKeyName(std::wstring name);  // the key field and the name OK stores

  AssignUi& ui_;
  AssignEdit edit_;
  AssignView view_;
  MacroEditor macros_{ui_, edit_, view_};
  GamerChoices gamer_{edit_, view_};
  bool otherModePlaced_ = true;
  // Single-key mode: the name OK stores (the field may show a refusal instead), the keys the
  // hook saw held, and what was captured before the keys now held went down.
  std::wstring keyName_;
  std::bitset<256> keysDown_;
  int codeBeforeChord_ = 0;
  std::wstring nameBeforeChord_;
};

// The function list's items as it shows them: each command with its shortcut.
std::vector<std::wstring> FunctionListItems();

// The first item, from item 1 on and wrapping round to item 0 last, that begins with `text`
// without regard to case; −1 when none does (the combo box's own search).
int FindItemPrefix(const std::vector<std::wstring>& items, std::wstring_view text);

}  // namespace orvelle

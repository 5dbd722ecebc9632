#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "assign/assign_view.h"
#include "assign/step_moves.h"
#include "model/key_table.h"
#include "model/profile_data.h"
#include "model/working_edits.h"

namespace orvelle {

// The assignment dialog's macro editor: the macro list, the chosen macro's steps and timing, and
// recording into it. It works on the dialog's edit and view, which its owner (AssignDialog) keeps.
class MacroEditor {
 public:
  MacroEditor(AssignUi& ui, AssignEdit& edit, AssignView& view);
  MacroEditor(const MacroEditor&) = delete;
  MacroEditor& operator=(const MacroEditor&) = delete;

  bool recording() const { return recording_; }

  // The "record key delays" box: each click ticks or clears, except while recording.
  void ToggleKeyDelays();

  void AddMacro();
  void DeleteMacro();
  void RenameMacro(const std::wstring& fieldText);  // every change of the name field
  void RefillMacroNames();                           // the name box lost the focus
  void SelectMacro(int item);                        // a name chosen from the drop-down
  // The loop field: every change of its text, and the field losing the focus, which shows the
  // count kept again. A text that is no count from 1 to kMaxMacroLoops changes nothing and shows
  // why under the step list.
  void SetLoopCount(const std::wstring& fieldText);
  void ShowLoopCount();
  // The step buttons act on the row selected in the step list, `selectedRow` (−1 for none).
  void DeleteStep(int selectedRow);
  // "Clear all": after the user agrees, and only when there is something to clear.
  void ClearSteps();
  // The four move buttons: the selected step moves, with its wait, and stays selected. A move
  // that would put a release of its key before the press it answers is refused with a beep.
  void MoveStep(StepMove move, int selectedRow);

  // A delay cell double-clicked: whether its row's delay can be edited now (not while recording),
  // and the text the field opens with.
  bool CanEditDelay(int row) const;
  std::wstring DelayFieldText(int row);
  // The delay field closed with `fieldText`: a wait of 0..kMaxStepDelayMs ms before the step is
  // kept (an untimed macro becomes timed, its other steps waiting for nothing); anything else
  // changes nothing and shows why. True when kept.
  bool SetStepDelay(int row, const std::wstring& fieldText);

  // The record button; `numLockState` is GetKeyState(VK_NUMLOCK).
  void OnRecordButton(int16_t numLockState);
  // The record button's second click, and any mode entered while recording: the recording ends
  // and its hook goes (single-key mode puts its own back).
  void StopRecording();
  // A new opening: no recording runs.
  void ForgetRecording() { recording_ = false; }
  // One key event for the recorder.
  void RecordKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time);

  // The macro controls and the lists as the dialog's modes and opening show them.
  void ShowMacroControls(bool show);
  void ResetStepList();
  void LoadStepList();
  void FillMacroItems();
  void SelectMacroItem(int item);

 private:
  // The macro chosen in the name box; null when none is.
  Macro* Chosen();
  const Macro* Chosen() const { return edit_.macros.At(view_.macroSelection); }
  void ShowStepRows(const Macro& macro);
  void AppendStep(const MacroStep& step, uint32_t time);

  AssignUi& ui_;
  AssignEdit& edit_;
  AssignView& view_;
  int macroCounter_ = 0;
  bool recording_ = false;
  bool recordDelays_ = false;  // the delays box as the recording started
  bool stepTimed_ = false;     // a step of this recording has been kept, at lastStepTime_
  uint32_t lastStepTime_ = 0;
  std::array<bool, kMaxKeyCode + 1> held_{};
};

}  // namespace orvelle

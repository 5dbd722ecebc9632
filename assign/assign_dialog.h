#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assign/recording.h"
#include "base/file_dialog.h"
#include "controls/bit_button.h"
#include "model/key_table.h"
#include "model/profile_data.h"
#include "model/working_edits.h"

namespace orvelle {

// What the assignment dialog asks of the system: key names, and its two messages.
class AssignUi {
 public:
  virtual ~AssignUi() = default;
  // The system's name of a key, from its key-name parameter.
  virtual std::wstring KeyName(int32_t keyNameParameter) = 0;
  // The in-use question before a macro that keys play is deleted; true only for OK.
  virtual bool ConfirmMacroDelete(std::wstring_view text) = 0;
  // A warning with an OK button.
  virtual void Warn(std::wstring_view text) = 0;
};

inline constexpr std::wstring_view kMacroInUseQuestion =
    L"Some key settings are detected pointing to this macro, and you really need to delete this macro ?";
inline constexpr std::wstring_view kMacroInUseCaption = L"keyboard";
inline constexpr std::wstring_view kKeypadNotLocked = L"Keypad not locked";

struct StepRow {
  std::wstring key;
  std::wstring action;  // "down" or "up"
  std::wstring delay;   // the wait before the step in milliseconds; empty for an untimed macro
  bool operator==(const StepRow&) const = default;
};

enum class DialogFocus { None, KeyField, MediaList, FunctionList, MacroNames, TextField, ProgramPath };

// The system's open dialog of the browse button: a program, or any file a program opens.
inline constexpr FileDialogSetup kProgramDialog{L"Open", L"Programs (*.exe)|*.exe|All files (*.*)|*.*||", L"",
                                                0x4 | 0x8 | 0x800 | 0x1000};

// Everything the dialog's controls show. The dialog logic keeps it; the Win32 dialog makes its
// controls match it after every step.
struct AssignView {
  bool keyFieldVisible = false;
  bool mediaListVisible = false;
  bool functionListVisible = false;
  bool macroControlsVisible = false;
  bool singleKeyButtonVisible = true;
  bool mediaButtonVisible = true;
  bool functionButtonVisible = true;
  bool otherButtonVisible = true;
  // The mode buttons single key, macro, multimedia, function and other, and the record button.
  std::array<BitButtonModel, 5> modeButtons{};
  BitButtonModel recordButton{};

  std::wstring keyFieldText;
  int mediaSelection = 0;
  int functionSelection = 0;

  std::vector<std::wstring> macroItems;  // the name box's list, as last filled
  int macroSelection = -1;
  std::wstring macroFieldText;  // the name box's edit field
  std::vector<StepRow> stepRows;
  int stepSelection = -1;
  bool stepButtonsEnabled = true;  // record, delete step, clear, the four selection buttons
  bool macroEditEnabled = true;    // add, delete macro, the name box, the delays box, the loop field

  // The check boxes are sticky toggle buttons: selected is ticked. The hold box shows in the four
  // key modes; the "record key delays" box and the loop field show with the macro controls.
  bool holdBoxVisible = false;
  BitButtonModel holdBox{};
  BitButtonModel keyDelayBox{};
  std::wstring loopCountText;  // the chosen macro's loop count, or what is being typed over it

  // The "Other" mode: three sticky choices, one chosen at a time, and the fields of each; the
  // fields of the choices not chosen show what they hold but rest. The text is as its field
  // shows it, with CR LF line breaks; the path and arguments as typed.
  bool otherControlsVisible = false;
  BitButtonModel disabledChoice{};
  BitButtonModel textChoice{};
  BitButtonModel programChoice{};
  bool textFieldEnabled = false;
  bool programFieldsEnabled = false;
  std::wstring textFieldText;
  std::wstring programPathText;
  std::wstring programArgsText;

  DialogFocus focus = DialogFocus::None;
  // Counts the times the focus was asked for: a mode button clicked again puts the focus back on
  // its control even when another control took it meanwhile.
  int focusRequests = 0;
  bool recordingHook = false;  // the recording hook should be installed
};

// The key assignment dialog's logic: modes, Clear, Cancel, the macro editor, recording and OK.
// One object lives as long as the main window; each opening starts with Open.
class AssignDialog {
 public:
  explicit AssignDialog(AssignUi& ui);

  // Handed over by the main window before each opening, taken back after OK.
  AssignEdit& edit() { return edit_; }
  const AssignEdit& edit() const { return edit_; }
  const AssignView& view() const { return view_; }
  int kind() const { return edit_.kind; }
  int capturedKeyCode() const { return edit_.capturedKeyCode; }
  bool recording() const { return recording_; }

  // Whether the skin places the "Other" mode (PlacesOtherMode); set once, before the openings.
  void SetOtherModePlaced(bool placed) { otherModePlaced_ = placed; }
  // Opening: the lists, the layout's hidden controls and the mode the main window handed over.
  void Open();

  // The check boxes: each click ticks or clears.
  void ToggleHold();
  void ToggleKeyDelays();

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

  // The macro editor.
  void AddMacro();
  void DeleteMacro();
  void RenameMacro(const std::wstring& fieldText);  // every change of the name field
  void RefillMacroNames();                           // the name box lost the focus
  void SelectMacro(int item);                        // a name chosen from the drop-down
  // The loop field: every change of its text, and the field losing the focus, which shows the
  // count kept again.
  void SetLoopCount(const std::wstring& fieldText);
  void ShowLoopCount();
  // The step buttons act on the row selected in the step list, `selectedRow` (−1 for none).
  void DeleteStep(int selectedRow);
  void ClearSteps();
  void SelectFirstStep();
  void SelectStepAbove(int selectedRow);
  void SelectStepBelow(int selectedRow);
  void SelectLastStep();
  // The user selected a row of the step list (−1: none).
  void OnStepSelected(int row) { view_.stepSelection = row; }

  // The record button; `numLockState` is GetKeyState(VK_NUMLOCK).
  void OnRecordButton(int16_t numLockState);
  // One key event seen by the recording hook, which hands over every one, passed or swallowed;
  // `time` is its time stamp in milliseconds.
  void OnHookKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time);
  // One key event for the recorder.
  void RecordKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time);
  // The recorded-key message: takes the events the recording hook left, in order. A message sent
  // from another thread is not our hook's and changes nothing; false then.
  bool TakeRecordedKeys(RecordedKeyQueue& keys, bool sentFromAnotherThread);

 private:
  void ShowMacroControls(bool show);
  // A mode button clicked: the recording stops, the edit takes `kind`, the button is selected,
  // every mode's controls hide but `control`, the Hold box shows and the focus goes to `focus`.
  void EnterMode(size_t button, int kind, bool& control, DialogFocus focus);
  void SelectModeButton(int button);  // the clicked mode button selected, the others cleared
  // Every mode's own controls hidden; the mode's handler then shows its own.
  void HideModeControls();
  void Choose(AssignKind kind);      // a choice clicked: the edit's kind and the focus follow it
  void ShowChoice(AssignKind kind);  // the choices and fields as that choice shows them
  AssignKind ChosenOtherKind() const;
  void OtherOk();
  void ReleaseSkin();
  void ResetStepList();
  void LoadStepList();
  void FillMacroItems();
  void SelectMacroItem(int item);
  MacroSteps* ChosenSteps();
  MacroDelays* ChosenDelays();
  int* ChosenLoops();
  void AppendStep(int parameter, int code, int direction, uint32_t time);
  // The record button's second click, and any mode entered while recording: the recording ends
  // and its hook goes (single-key mode puts its own back).
  void StopRecording();

  AssignUi& ui_;
  AssignEdit edit_;
  AssignView view_;
  int macroCounter_ = 0;
  bool otherModePlaced_ = true;
  bool recording_ = false;
  bool recordDelays_ = false;  // the delays box as the recording started
  bool stepTimed_ = false;     // a step of this recording has been kept, at lastStepTime_
  uint32_t lastStepTime_ = 0;
  std::array<bool, kMaxKeyCode + 1> held_{};
};

// The first item, from item 1 on and wrapping round to item 0 last, that begins with `text`
// without regard to case; −1 when none does (the combo box's own search).
int FindItemPrefix(const std::vector<std::wstring>& items, std::wstring_view text);

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "assign/assign_dialog.h"
#include "assign/assign_frame_win.h"
#include "assign/assign_skin_win.h"
#include "assign/dialog_layout.h"
#include "assign/macro_fields_win.h"
#include "assign/recording_hook_win.h"
#include "controls/bit_button_win.h"
#include "model/key_table.h"
#include "platform/win32/dialog_base_win.h"
#include "platform/win32/handles.h"
#include "platform/win32/keyboard_hook_win.h"
#include "resources/resource.h"

namespace orvelle {

// The key assignment dialog: a skinned window on template 148 whose decisions are made by
// AssignDialog. One object lives as long as the main window; every opening creates its controls
// anew and cuts its button faces from the pictures loaded once. While it records, its recording
// hook is the front hook that must stay ahead of the remap hook.
class AssignDialogWindow final : public DialogBase, public FrontHook, private AssignUi {
 public:
  AssignDialogWindow(HINSTANCE instance, const std::wstring& folder);
  ~AssignDialogWindow() override;

  // Runs the dialog modally over `owner` on a prepared edit; the edit as OK left it, for the model
  // to commit, or nothing when the dialog was cancelled.
  std::optional<AssignEdit> Run(HWND owner, const AssignEdit& edit, const MediaNameMap& media);
  // Ends an open dialog through its cancel handling (the program is exiting).
  void CancelIfOpen();
  void RemoveRecordingHook() { recordingHook_.Remove(); }

  // FrontHook: the recording hook.
  bool installed() const override { return recordingHook_.installed(); }
  void PutFirst() override { recordingHook_.Reinstall(instance_); }
  bool handingOn() const override { return recordingHook_.handingOn(); }
  bool TakeLateEvent(WPARAM wParam, const KBDLLHOOKSTRUCT& event) override {
    return recordingHook_.Take(wParam, event);
  }
  void HostOn(HookThread* thread, FrontHookListener* listener) override { recordingHook_.HostOn(thread, listener); }

 private:
  static constexpr UINT kFitStepColumnsMessage = WM_USER + 104;  // after a change of DPI

  BEGIN_MSG_MAP()
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
    MESSAGE_HANDLER(kFitStepColumnsMessage, OnFitStepColumns)
    NCHITTEST_AS_CAPTION()
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
    MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
    MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnStaticColour)
    MESSAGE_HANDLER(RecordingHook::kRecordedKeyMessage, OnRecordedKey)
    MESSAGE_HANDLER(DelayField::kClosedMessage, OnDelayFieldClosed)
    COMMAND_CODE_HANDLER_EX(IDC_ASSIGN_OK, BN_CLICKED, OnOk)
    COMMAND_CODE_HANDLER_EX(IDOK, BN_CLICKED, OnOk)  // Enter does what the OK button does
    COMMAND_CODE_HANDLER_EX(IDCANCEL, BN_CLICKED, OnCancel)
    COMMAND_CODE_HANDLER_EX(IDC_SINGLE_KEY, BN_CLICKED, OnSingleKeyMode)
    COMMAND_CODE_HANDLER_EX(IDC_MACRO_MODE, BN_CLICKED, OnMacroMode)
    COMMAND_CODE_HANDLER_EX(IDC_MEDIA_MODE, BN_CLICKED, OnMediaMode)
    COMMAND_CODE_HANDLER_EX(IDC_FUNCTION_MODE, BN_CLICKED, OnFunctionMode)
    COMMAND_CODE_HANDLER_EX(IDC_CLEAR, BN_CLICKED, OnClear)
    COMMAND_CODE_HANDLER_EX(IDC_OSK, BN_CLICKED, OnOnScreenKeyboard)
    COMMAND_CODE_HANDLER_EX(IDC_ADD_MACRO, BN_CLICKED, OnAddMacro)
    COMMAND_CODE_HANDLER_EX(IDC_DELETE_MACRO, BN_CLICKED, OnDeleteMacro)
    COMMAND_CODE_HANDLER_EX(IDC_RECORD, BN_CLICKED, OnRecord)
    COMMAND_CODE_HANDLER_EX(IDC_DELETE_STEP, BN_CLICKED, OnDeleteStep)
    COMMAND_CODE_HANDLER_EX(IDC_CLEAR_STEPS, BN_CLICKED, OnClearSteps)
    COMMAND_CODE_HANDLER_EX(IDC_FIRST_STEP, BN_CLICKED, OnFirstStep)
    COMMAND_CODE_HANDLER_EX(IDC_STEP_UP, BN_CLICKED, OnStepUp)
    COMMAND_CODE_HANDLER_EX(IDC_STEP_DOWN, BN_CLICKED, OnStepDown)
    COMMAND_CODE_HANDLER_EX(IDC_LAST_STEP, BN_CLICKED, OnLastStep)
    COMMAND_CODE_HANDLER_EX(IDC_MACRO_NAMES, CBN_EDITCHANGE, OnMacroNameTyped)
    COMMAND_CODE_HANDLER_EX(IDC_MACRO_NAMES, CBN_SELCHANGE, OnMacroChosen)
    COMMAND_CODE_HANDLER_EX(IDC_MACRO_NAMES, CBN_KILLFOCUS, OnMacroNamesLeft)
    COMMAND_CODE_HANDLER_EX(IDC_HOLD, BN_CLICKED, OnHoldBox)
    COMMAND_CODE_HANDLER_EX(IDC_KEY_DELAY, BN_CLICKED, OnKeyDelayBox)
    COMMAND_CODE_HANDLER_EX(IDC_LOOP_COUNT, EN_CHANGE, OnLoopCountTyped)
    COMMAND_CODE_HANDLER_EX(IDC_LOOP_COUNT, EN_KILLFOCUS, OnLoopCountLeft)
    COMMAND_CODE_HANDLER_EX(IDC_OTHER_MODE, BN_CLICKED, OnOtherMode)
    COMMAND_CODE_HANDLER_EX(IDC_DISABLED_CHOICE, BN_CLICKED, OnDisabledChoice)
    COMMAND_CODE_HANDLER_EX(IDC_TEXT_CHOICE, BN_CLICKED, OnTextChoice)
    COMMAND_CODE_HANDLER_EX(IDC_PROGRAM_CHOICE, BN_CLICKED, OnProgramChoice)
    COMMAND_CODE_HANDLER_EX(IDC_BROWSE, BN_CLICKED, OnBrowse)
    COMMAND_CODE_HANDLER_EX(IDC_TEXT_FIELD, EN_CHANGE, OnTextTyped)
    COMMAND_CODE_HANDLER_EX(IDC_PROGRAM_PATH, EN_CHANGE, OnPathTyped)
    COMMAND_CODE_HANDLER_EX(IDC_PROGRAM_ARGS, EN_CHANGE, OnArgsTyped)
    COMMAND_CODE_HANDLER_EX(IDC_PROFILE_CHOICE, BN_CLICKED, OnProfileChoice)
    COMMAND_CODE_HANDLER_EX(IDC_MOUSE_CHOICE, BN_CLICKED, OnMouseChoice)
    COMMAND_CODE_HANDLER_EX(IDC_ALL_PROFILES, BN_CLICKED, OnAllProfilesBox)
    COMMAND_CODE_HANDLER_EX(IDC_TURBO, BN_CLICKED, OnTurboBox)
    COMMAND_CODE_HANDLER_EX(IDC_PROFILE_LIST, CBN_SELCHANGE, OnProfileChosen)
    COMMAND_CODE_HANDLER_EX(IDC_MOUSE_LIST, CBN_SELCHANGE, OnMouseChosen)
    COMMAND_CODE_HANDLER_EX(IDC_TURBO_PERIOD, EN_CHANGE, OnTurboPeriodTyped)
    COMMAND_CODE_HANDLER_EX(IDC_TURBO_PERIOD, EN_SETFOCUS, OnTurboPeriodEntered)
    COMMAND_CODE_HANDLER_EX(IDC_TURBO_PERIOD, EN_KILLFOCUS, OnTurboPeriodLeft)
  END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, bool& handled);
  LRESULT OnFitStepColumns(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDrawItem(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNotify(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnActivate(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnRecordedKey(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnStaticColour(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDelayFieldClosed(UINT, WPARAM, LPARAM, bool&);
  void OnStepListDoubleClick();
  void OnOk();
  void OnCancel();
  void OnSingleKeyMode() { Then(&AssignDialog::OnSingleKeyButton); }
  void OnMacroMode() { Then(&AssignDialog::OnMacroButton); }
  void OnMediaMode() { Then(&AssignDialog::OnMediaButton); }
  void OnFunctionMode() { Then(&AssignDialog::OnFunctionButton); }
  void OnClear() { Then(&AssignDialog::OnClear); }
  void OnOnScreenKeyboard();
  void OnAddMacro() { Then(&AssignDialog::AddMacro); }
  void OnDeleteMacro() { Then(&AssignDialog::DeleteMacro); }
  void OnRecord();
  void OnDeleteStep() { ThenWithRow(&AssignDialog::DeleteStep); }
  void OnClearSteps() { Then(&AssignDialog::ClearSteps); }
  void OnFirstStep() { ThenWithRow(&AssignDialog::MoveStepToTop); }
  void OnStepUp() { ThenWithRow(&AssignDialog::MoveStepUp); }
  void OnStepDown() { ThenWithRow(&AssignDialog::MoveStepDown); }
  void OnLastStep() { ThenWithRow(&AssignDialog::MoveStepToBottom); }
  void OnMacroNameTyped();
  void OnMacroChosen();
  void OnMacroNamesLeft() { Then(&AssignDialog::RefillMacroNames); }
  void OnHoldBox() { Then(&AssignDialog::ToggleHold); }
  void OnKeyDelayBox() { Then(&AssignDialog::ToggleKeyDelays); }
  void OnLoopCountTyped();
  void OnLoopCountLeft() { Then(&AssignDialog::ShowLoopCount); }
  void OnOtherMode() { Then(&AssignDialog::OnOtherButton); }
  void OnDisabledChoice() { Then(&AssignDialog::ChooseDisabled); }
  void OnTextChoice() { Then(&AssignDialog::ChooseText); }
  void OnProgramChoice() { Then(&AssignDialog::ChooseProgram); }
  void OnBrowse();
  // The text, path and arguments fields: every change of their text.
  void OnTextTyped() { TakeField(IDC_TEXT_FIELD, &AssignDialog::SetText); }
  void OnPathTyped() { TakeField(IDC_PROGRAM_PATH, &AssignDialog::SetProgramPath); }
  void OnArgsTyped() { TakeField(IDC_PROGRAM_ARGS, &AssignDialog::SetProgramArgs); }
  // The keys for games: the two choices, their lists, the all-profiles and turbo boxes and the
  // period field.
  void OnProfileChoice() { Then(&AssignDialog::ChooseProfile); }
  void OnMouseChoice() { Then(&AssignDialog::ChooseMouse); }
  void OnAllProfilesBox() { Then(&AssignDialog::ToggleAllProfiles); }
  void OnTurboBox() { Then(&AssignDialog::ToggleTurbo); }
  void OnProfileChosen() { TakeSelection(IDC_PROFILE_LIST, &AssignDialog::SelectProfile); }
  void OnMouseChosen() { TakeSelection(IDC_MOUSE_LIST, &AssignDialog::SelectMouse); }
  void OnTurboPeriodTyped() { TakeField(IDC_TURBO_PERIOD, &AssignDialog::SetTurboPeriod); }
  void OnTurboPeriodEntered() { Then(&AssignDialog::EnterTurboPeriod); }
  void OnTurboPeriodLeft() { Then(&AssignDialog::LeaveTurboPeriod); }
  void TakeSelection(int id, void (AssignDialog::*take)(int item));
  void TakeField(int id, void (AssignDialog::*take)(const std::wstring& fieldText));

  // A step of the logic, then the controls brought up to date.
  void Then(void (AssignDialog::*step)());
  // The same for a step that acts on the row selected in the step list.
  void ThenWithRow(void (AssignDialog::*step)(int selectedRow));

  // AssignUi
  std::wstring KeyName(int32_t keyNameParameter) override;
  bool ConfirmMacroDelete(std::wstring_view text) override;
  bool AskYesNo(std::wstring_view question) override;
  void Beep() override;

  void SetUpControls();
  void LayOutControls();
  void Close(INT_PTR result);
  // Makes the controls show what the logic's view says, touching only what changed.
  void ApplyView(bool everything);
  void ApplyButtonFaces(const AssignView& now, const AssignView& before, bool everything);
  // The recording hook runs only while the logic wants it and the dialog is the active window:
  // another program the user switches to gets its keys.
  void SyncRecordingHook();
  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
  BitButton& Button(int id);

  HINSTANCE instance_;
  AssignDialog logic_;
  AssignView applied_;
  std::optional<DialogPicture> appliedBackground_;
  // Set while the controls are made to follow the view: the step list's own selection notices
  // and the fields' change notices then come from us and are no news for the logic.
  bool applyingView_ = false;
  const MediaNameMap* media_ = nullptr;
  bool active_ = false;
  RecordedKeyQueue recordedKeys_;
  RecordingHook recordingHook_{recordedKeys_};
  AssignSkin skin_;
  DelayField delayField_;
  std::optional<POINT> place_;  // where the first opening put the dialog
  UINT dpi_ = 96;  // of the monitor the dialog is on
  AssignFonts fonts_;
  std::array<BitButton, kSkinnedButtons.size()> buttons_;  // in the order of kSkinnedButtons
};

}  // namespace orvelle

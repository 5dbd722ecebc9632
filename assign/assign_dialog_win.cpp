#include "assign/assign_dialog_win.h"

#include <commctrl.h>

#include <initializer_list>

#include "assign/assign_frame_win.h"
#include "assign/assign_view_win.h"
#include "assign/gamer_controls_win.h"
#include "base/texts.h"
#include "model/shown_names.h"
#include "platform/win32/display_scale_win.h"
#include "platform/win32/file_dialogs_win.h"
#include "platform/win32/list_controls_win.h"

namespace orvelle {
AssignDialogWindow::AssignDialogWindow(HINSTANCE instance, const std::wstring& folder)
    : instance_(instance),
      logic_(*this) {
  skin_.Load(folder);
  logic_.SetOtherModePlaced(PlacesOtherMode(skin_.layout()));
  logic_.SetGamerControlsPlaced(PlacesGamerControls(skin_.layout()));
}

AssignDialogWindow::~AssignDialogWindow() = default;

std::optional<AssignEdit> AssignDialogWindow::Run(HWND owner, const AssignEdit& edit, const MediaNameMap& media) {
  logic_.edit() = edit;
  media_ = &media;
  const INT_PTR result = DoModal(instance_, IDD_ASSIGN, owner);
  media_ = nullptr;
  if (result != IDOK) return std::nullopt;
  return logic_.edit();
}

void AssignDialogWindow::CancelIfOpen() {
  if (hwnd() != nullptr && IsWindow(hwnd())) SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

BitButton& AssignDialogWindow::Button(int id) {
  size_t i = 0;
  while (i + 1 < kSkinnedButtons.size() && kSkinnedButtons[i].id != id) ++i;
  return buttons_[i];
}

// --- opening --------------------------------------------------------------------------------------

LRESULT AssignDialogWindow::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  active_ = false;
  recordedKeys_.Clear();
  KeepDialogLayoutOwn(hwnd());
  dpi_ = OpeningDpi(hwnd());
  skin_.FitDpi(dpi_);
  SetUpControls();
  LayOutControls();
  FitStepColumns(Item(IDC_STEP_LIST), dpi_);
  logic_.Open();
  appliedBackground_ = BackgroundOf(logic_.target(), logic_.kind());
  ApplyView(true);
  // Shaped where it was made, then moved once to its place: no stop on another monitor between.
  RECT made{};
  GetWindowRect(hwnd(), &made);
  skin_.Shape(hwnd(), POINT{made.left, made.top});
  place_ = PlaceAtOpening(hwnd(), GetWindow(hwnd(), GW_OWNER), place_);
  return TRUE;
}

LRESULT AssignDialogWindow::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  // Moved to a monitor of another scale: the pictures, faces, places and fonts of that scale,
  // at the top-left corner the system suggests. What the controls show stays.
  dpi_ = HIWORD(wParam);
  skin_.FitDpi(dpi_);
  LayOutControls();
  ApplyView(true);
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  skin_.Shape(hwnd(), POINT{suggested->left, suggested->top});
  InvalidateRect(hwnd(), nullptr, TRUE);
  // The step list's columns are measured in the font the dialog manager gives it after this.
  PostMessageW(hwnd(), kFitStepColumnsMessage, 0, 0);
  handled = false;  // the dialog manager gives the other controls the template's font anew
  return 0;
}

LRESULT AssignDialogWindow::OnFitStepColumns(UINT, WPARAM, LPARAM, bool&) {
  FitStepColumns(Item(IDC_STEP_LIST), dpi_);
  return 0;
}

void AssignDialogWindow::SetUpControls() {
  for (size_t i = 0; i < kSkinnedButtons.size(); ++i) buttons_[i].Attach(Item(kSkinnedButtons[i].id));
  for (int id : {kHoldBoxId, kKeyDelayBoxId, IDC_TURBO, IDC_ALL_PROFILES}) Button(id).TakeDoubleClicksAsTwoClicks();
  // Two quick clicks on a step button move the step twice, as a person clicking twice means.
  for (int id : {IDC_FIRST_STEP, IDC_STEP_UP, IDC_STEP_DOWN, IDC_LAST_STEP}) Button(id).TakeDoubleClicksAsTwoClicks();
  for (int row = 0; row < static_cast<int>(kMediaTable.size()); ++row) ComboAdd(Item(IDC_MEDIA_LIST), std::wstring(ShownMediaName(row)));
  for (const std::wstring& item : FunctionListItems()) ComboAdd(Item(IDC_FUNCTION_LIST), item);
  SetUpGamerControls(hwnd());
  HideCaretWhileFocused(Item(IDC_KEY_FIELD));
  HWND steps = Item(IDC_STEP_LIST);
  delayField_.Create(steps, hwnd(), IDC_DELAY_FIELD);
  SendMessageW(steps, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES);
  SetTextLimit(Item(IDC_LOOP_COUNT), 2);
  // What a key keeps at most: typing stops there rather than the end being cut at OK. A text's
  // line breaks count two characters in the field, one in the key.
  SetTextLimit(Item(IDC_TEXT_FIELD), kMaxTextChars);
  SetTextLimit(Item(IDC_PROGRAM_PATH), kMaxProgramChars);
  SetTextLimit(Item(IDC_PROGRAM_ARGS), kMaxProgramChars);
  SetComboTextLimit(Item(IDC_MACRO_NAMES), kMaxNameChars);
  AddStepColumns(steps);
}

void AssignDialogWindow::LayOutControls() {
  fonts_.Fit(hwnd(), dpi_);
  for (size_t i = 0; i < kSkinnedButtons.size(); ++i) {
    const int entry = kSkinnedButtons[i].entry;
    const Rect& area = skin_.Area(entry);
    BitButton& button = buttons_[i];
    button.model() = BitButtonModel{};
    button.model().sticky = SkinOfEntry(entry).sticky;
    button.model().toggle = SkinOfEntry(entry).toggle;
    button.SetFaces(skin_.CutFaces(entry));
    MoveWindow(button.hwnd(), area.left, area.top, area.Width(), area.Height(), TRUE);
  }
  for (const PlacedControl& placed : kPlacedControlIds) {
    const Rect& area = skin_.Area(placed.entry);
    HWND control = Item(placed.id);
    MoveWindow(control, area.left, area.top, area.Width(), area.Height(), TRUE);
    ShowWindow(control, SW_HIDE);
  }
}

// --- painting, dragging, the step list --------------------------------------------------------

LRESULT AssignDialogWindow::OnEraseBackground(UINT, WPARAM wParam, LPARAM, bool&) {
  skin_.PaintBackground(reinterpret_cast<HDC>(wParam), hwnd(), BackgroundOf(logic_.target(), logic_.kind()));
  return TRUE;
}

LRESULT AssignDialogWindow::OnDrawItem(UINT, WPARAM, LPARAM lParam, bool& handled) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  for (const BitButton& button : buttons_) {
    if (button.hwnd() == item->hwndItem) {
      button.DrawItem(*item);
      return TRUE;
    }
  }
  handled = false;
  return FALSE;
}

LRESULT AssignDialogWindow::OnNotify(UINT, WPARAM, LPARAM lParam, bool& handled) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->idFrom != IDC_STEP_LIST) {
    handled = false;
    return 0;
  }
  if (header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (!applyingView_ && (change->uChanged & LVIF_STATE) &&
        ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
      const int row = ListViewSelectedRow(Item(IDC_STEP_LIST));
      logic_.OnStepSelected(row);
      applied_.stepSelection = row;
    }
    return 0;
  }
  if (header->code == NM_DBLCLK) {
    OnStepListDoubleClick();
    return 0;
  }
  if (header->code != NM_CUSTOMDRAW) {
    handled = false;
    return 0;
  }
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const bool selected = static_cast<int>(draw->nmcd.dwItemSpec) == ListViewSelectedRow(Item(IDC_STEP_LIST));
      draw->clrText = selected ? RGB(255, 255, 255) : RGB(0, 0, 0);
      draw->clrTextBk = selected ? RGB(49, 106, 197) : RGB(255, 255, 255);
      return CDRF_DODEFAULT;
    }
    default:
      return 0;
  }
}

// --- keys and commands --------------------------------------------------------------------------

void AssignDialogWindow::SyncRecordingHook() {
  if (logic_.view().recordingHook && active_ && hwnd() != nullptr) {
    recordingHook_.Install(instance_, hwnd());
  } else {
    recordingHook_.Remove();
  }
}

LRESULT AssignDialogWindow::OnActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
  active_ = LOWORD(wParam) != WA_INACTIVE;
  SyncRecordingHook();
  handled = false;  // the dialog's own focus handling still runs
  return 0;
}

LRESULT AssignDialogWindow::OnRecordedKey(UINT, WPARAM, LPARAM, bool&) {
  // The message's parameters are never read: the events come from where our hook left them.
  if (logic_.TakeRecordedKeys(recordedKeys_, InSendMessage() != FALSE)) ApplyView(false);
  return 0;
}

void AssignDialogWindow::Then(void (AssignDialog::*step)()) {
  (logic_.*step)();
  ApplyView(false);
}

void AssignDialogWindow::ThenWithRow(void (AssignDialog::*step)(int selectedRow)) {
  (logic_.*step)(ListViewSelectedRow(Item(IDC_STEP_LIST)));
  ApplyView(false);
}

void AssignDialogWindow::OnOk() {
  if (media_ != nullptr) {
    logic_.OnOk(*media_, ComboSelection(Item(IDC_MEDIA_LIST)), ComboSelection(Item(IDC_FUNCTION_LIST)));
  }
  Close(IDOK);
}

void AssignDialogWindow::OnCancel() {
  logic_.OnCancel();
  Close(IDCANCEL);
}

void AssignDialogWindow::OnOnScreenKeyboard() {
  if (!StartOnScreenKeyboard(hwnd())) {
    ShowMessage(hwnd(), Text(TextId::OnScreenKeyboardFailed), MessageKind::Warning);
  }
}

void AssignDialogWindow::OnStepListDoubleClick() {
  HWND steps = Item(IDC_STEP_LIST);
  RECT cell{};
  const int row = DelayCellUnderPointer(steps, cell);
  if (logic_.CanEditDelay(row)) delayField_.Open(cell, row, logic_.DelayFieldText(row));
}

LRESULT AssignDialogWindow::OnDelayFieldClosed(UINT, WPARAM keep, LPARAM, bool&) {
  if (keep != FALSE) logic_.SetStepDelay(delayField_.row(), delayField_.text());
  ApplyView(false);
  return 0;
}

LRESULT AssignDialogWindow::OnStaticColour(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
  if (id != IDC_RECORD_NOTICE && id != IDC_MACRO_HINT && id != IDC_TURBO_HINT) {
    handled = false;
    return 0;
  }
  // The notices are text over the skin: the dialog's background shows through.
  const auto dc = reinterpret_cast<HDC>(wParam);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 176, 72));
  return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void AssignDialogWindow::OnRecord() {
  logic_.OnRecordButton(static_cast<int16_t>(GetKeyState(VK_NUMLOCK)));
  ApplyView(false);
}

void AssignDialogWindow::OnMacroNameTyped() {
  logic_.RenameMacro(WindowText(Item(IDC_MACRO_NAMES)));
  ApplyView(false);
}

void AssignDialogWindow::OnLoopCountTyped() {
  if (applyingView_) return;  // our own SetWindowText
  logic_.SetLoopCount(WindowText(Item(IDC_LOOP_COUNT)));
  ApplyView(false);
}

void AssignDialogWindow::TakeField(int id, void (AssignDialog::*take)(const std::wstring& fieldText)) {
  if (applyingView_) return;  // our own SetWindowText
  (logic_.*take)(WindowText(Item(id)));
  ApplyView(false);
}

void AssignDialogWindow::TakeSelection(int id, void (AssignDialog::*take)(int item)) {
  (logic_.*take)(ComboSelection(Item(id)));
  ApplyView(false);
}

void AssignDialogWindow::OnBrowse() {
  if (const auto file = ChooseFile(hwnd(), kProgramDialog, false, logic_.view().programPathText)) {
    logic_.TakeBrowsedFile(*file);
  }
  ApplyView(false);
}

void AssignDialogWindow::OnMacroChosen() {
  logic_.SelectMacro(ComboSelection(Item(IDC_MACRO_NAMES)));
  ApplyView(false);
}

void AssignDialogWindow::Close(INT_PTR result) {
  ApplyView(false);  // takes the recording hook out
  recordingHook_.Remove();
  recordedKeys_.Clear();
  delayField_.Destroy();
  for (BitButton& button : buttons_) button.ReleaseFaces();
  EndDialog(hwnd(), result);
}

// --- the controls follow the logic ------------------------------------------------------------

void AssignDialogWindow::ApplyView(bool everything) {
  applyingView_ = true;
  const AssignView& v = logic_.view();
  const AssignView& was = applied_;
  auto changed = [everything](const auto& now, const auto& before) { return everything || now != before; };

  if (changed(v.keyFieldText, was.keyFieldText)) SetDlgItemTextW(hwnd(), IDC_KEY_FIELD, v.keyFieldText.c_str());
  if (changed(v.mediaSelection, was.mediaSelection)) ComboSelect(Item(IDC_MEDIA_LIST), v.mediaSelection);
  if (changed(v.functionSelection, was.functionSelection)) ComboSelect(Item(IDC_FUNCTION_LIST), v.functionSelection);
  ApplyMacroNames(hwnd(), v, was, everything);
  ApplyOtherFields(hwnd(), v);
  ApplyGamerControls(hwnd(), v, was, everything);
  ApplyStepRows(hwnd(), v, was, everything);
  ApplyNotices(hwnd(), v, was, everything);
  if (changed(v.stepSelection, was.stepSelection) || changed(v.stepRows, was.stepRows)) {
    ListViewSelectOnly(Item(IDC_STEP_LIST), v.stepSelection);
  }
  for (int id : kViewBoundControlIds) {
    const ControlLook look = LookOf(v, id);
    const ControlLook before = LookOf(was, id);
    if (changed(look.shown, before.shown)) ShowWindow(Item(id), look.shown ? SW_SHOWNORMAL : SW_HIDE);
    if (changed(look.enabled, before.enabled)) EnableWindow(Item(id), look.enabled);
  }
  ApplyButtonFaces(v, was, everything);
  if (v.focus != DialogFocus::None && changed(v.focusRequests, was.focusRequests)) {
    SetFocus(Item(ControlOfFocus(v.focus)));
  }
  applied_ = v;
  applyingView_ = false;
  SyncRecordingHook();
  // The background follows the mode; the "Other" mode's choices share one.
  const auto background = BackgroundOf(logic_.target(), logic_.kind());
  if (background != appliedBackground_) {
    if (!everything) InvalidateRect(hwnd(), nullptr, TRUE);
    appliedBackground_ = background;
  }
}

void AssignDialogWindow::ApplyButtonFaces(const AssignView& now, const AssignView& before, bool everything) {
  for (size_t i = 0; i < kModeButtonIds.size(); ++i) {
    if (!everything && now.modeButtons[i].selected == before.modeButtons[i].selected) continue;
    BitButton& button = Button(kModeButtonIds[i]);
    button.model().selected = now.modeButtons[i].selected;
    if (!now.modeButtons[i].selected || now.modeButtons[i].state == ButtonState::Idle) {
      button.model().state = ButtonState::Idle;
    }
    button.Redraw();
  }
  // The sticky buttons whose selection the logic keeps: record, the four check boxes and the
  // five choices of the "Other" mode.
  static constexpr std::pair<int, BitButtonModel AssignView::*> kToggles[] = {
      {kRecordButtonId, &AssignView::recordButton}, {kHoldBoxId, &AssignView::holdBox},
      {kKeyDelayBoxId, &AssignView::keyDelayBox},   {IDC_DISABLED_CHOICE, &AssignView::disabledChoice},
      {IDC_TEXT_CHOICE, &AssignView::textChoice},   {IDC_PROGRAM_CHOICE, &AssignView::programChoice},
      {IDC_PROFILE_CHOICE, &AssignView::profileChoice}, {IDC_MOUSE_CHOICE, &AssignView::mouseChoice},
      {IDC_ALL_PROFILES, &AssignView::allProfilesBox},  {IDC_TURBO, &AssignView::turboBox},
  };
  for (const auto& [id, model] : kToggles) {
    const bool selected = (now.*model).selected;
    if (!everything && selected == (before.*model).selected) continue;
    BitButton& button = Button(id);
    button.model().selected = selected;
    // A check box or choice shows at once what its click made of it, ticked or clear, not the
    // pressed face of the click itself.
    if (id != kRecordButtonId) button.model().state = ButtonState::Idle;
    button.Redraw();
  }
}

// --- questions ----------------------------------------------------------------------------------

std::wstring AssignDialogWindow::KeyName(int32_t keyNameParameter) {
  wchar_t name[256] = L"";
  const int length = GetKeyNameTextW(keyNameParameter, name, 256);
  return std::wstring(name, static_cast<size_t>(length > 0 ? length : 0));
}

bool AssignDialogWindow::ConfirmMacroDelete(std::wstring_view text) {
  return ShowMessage(hwnd(), text, MessageKind::Question) == IDOK;
}

bool AssignDialogWindow::AskYesNo(std::wstring_view question) {
  return ShowMessage(hwnd(), question, MessageKind::YesNo) == IDYES;
}

void AssignDialogWindow::Beep() { MessageBeep(MB_OK); }

}  // namespace orvelle

#include "assign/set_config_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "model/ini_section.h"
#include "platform/win32/skin_pictures_win.h"
#include "platform/portable/ini_file_copy.h"
#include "platform/win32/file_store_win.h"

namespace orvelle {
namespace {

// The skinned buttons by layout entry (entry 5 places no control).
struct ButtonEntry {
  int entry;
  int id;
};
constexpr std::array<ButtonEntry, 17> kButtons = {{
    {1, IDC_ASSIGN_OK}, {2, IDCANCEL},        {3, IDC_CLEAR},        {4, IDC_OSK},          {6, IDC_SINGLE_KEY},
    {7, IDC_MACRO_MODE}, {8, IDC_MEDIA_MODE}, {9, IDC_FUNCTION_MODE}, {10, IDC_ADD_MACRO},  {11, IDC_DELETE_MACRO},
    {12, IDC_RECORD},   {13, IDC_DELETE_STEP}, {14, IDC_CLEAR_STEPS}, {15, IDC_FIRST_STEP}, {16, IDC_STEP_UP},
    {17, IDC_STEP_DOWN}, {18, IDC_LAST_STEP},
}};
constexpr size_t kModeButtonIndex = 4;  // entries 6..9
constexpr size_t kRecordButtonIndex = 10;
constexpr std::array<int, 5> kListEntryIds = {IDC_KEY_FIELD, IDC_MEDIA_LIST, IDC_FUNCTION_LIST, IDC_MACRO_NAMES,
                                              IDC_STEP_LIST};
constexpr std::array<int, 9> kMacroButtonIds = {IDC_ADD_MACRO, IDC_DELETE_MACRO, IDC_RECORD,     IDC_DELETE_STEP,
                                                IDC_CLEAR_STEPS, IDC_FIRST_STEP, IDC_STEP_UP, IDC_STEP_DOWN,
                                                IDC_LAST_STEP};
constexpr std::array<int, 7> kStepButtonIds = {IDC_RECORD,     IDC_DELETE_STEP, IDC_CLEAR_STEPS, IDC_FIRST_STEP,
                                               IDC_STEP_UP,    IDC_STEP_DOWN,   IDC_LAST_STEP};

HFONT PointFont(int tenthsOfPoint, const wchar_t* face) {
  const WindowDc screen(nullptr);
  const int height = -MulDiv(tenthsOfPoint, GetDeviceCaps(screen.get(), LOGPIXELSY), 720);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

// By its full path in the system folder: the program's own folder, the current folder and the
// search path never supply it.
void StartOnScreenKeyboard(HWND owner) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::wstring program = std::wstring(system, length) + L"\\osk.exe";
  ShellExecuteW(owner, nullptr, program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

int SelectedRow(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }

}  // namespace

CSetCongfig::CSetCongfig(HINSTANCE instance, const std::wstring& folder)
    : instance_(instance), folder_(folder), logic_(*this) {
  keyFieldFont_.reset(PointFont(200, L"Fixedsys"));
  listFont_.reset(PointFont(200, L"Fixedsys"));
  LoadDialogSkin();
}

CSetCongfig::~CSetCongfig() = default;

void CSetCongfig::LoadDialogSkin() {
  static constexpr const wchar_t* kFiles[kPictureCount] = {
      L"key_mask.bmp",   L"key_normal.bmp",     L"key_over.bmp",  L"key_down.bmp",
      L"media_normal.bmp", L"function_normal.bmp", L"macro_normal.bmp", L"macro_over.bmp",
      L"macro_down.bmp", L"macro_disable.bmp",  L"macro2_normal.bmp",
  };
  for (size_t i = 0; i < kPictureCount; ++i) pictures_[i].reset(LoadSkinPicture(folder_ + L"skin\\" + kFiles[i]));
  if (PictureSize(pictures_[kMask].get(), maskSize_)) outline_.reset(RegionFromMask(pictures_[kMask].get()));
  pictures_[kMask].reset();  // only its outline and size are needed
  Win32FileStore files;
  IniFileCopy composite(files, DecodeAnsi, folder_ + L"Composite.ini");
  composite.Load();
  const IniSection section(composite.ini().ReadSection(composite.path(), L"BUTTONINFO"));
  for (int entry = 1; entry <= 23; ++entry) {
    const LayoutRecord r = ParseLayoutRect(section.String(std::to_wstring(entry)));
    layout_[static_cast<size_t>(entry - 1)] = Rect::FromOriginAndSize(r.x, r.y, r.width, r.height);
  }
}

INT_PTR CSetCongfig::Run(HWND owner, KeyMap& workingKeyMap, const MediaNameMap& media) {
  workingKeyMap_ = &workingKeyMap;
  media_ = &media;
  const INT_PTR result = DoModal(instance_, IDD_ASSIGN, owner);
  workingKeyMap_ = nullptr;
  return result;
}

void CSetCongfig::CancelIfOpen() {
  if (hwnd() != nullptr && IsWindow(hwnd())) SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CSetCongfig::PutRecordingHookFirst() { recordingHook_.Reinstall(instance_); }

void CSetCongfig::SyncRecordingHook() {
  if (logic_.view().recordingHook && active_ && hwnd() != nullptr) {
    recordingHook_.Install(instance_, hwnd());
  } else {
    recordingHook_.Remove();
  }
}

LRESULT CSetCongfig::OnActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
  active_ = LOWORD(wParam) != WA_INACTIVE;
  SyncRecordingHook();
  handled = false;  // the dialog's own focus handling still runs
  return 0;
}

// --- opening --------------------------------------------------------------------------------------

LRESULT CSetCongfig::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  active_ = false;
  recordedKeys_.Clear();
  for (size_t i = 0; i < kButtons.size(); ++i) buttons_[i].Attach(Item(kButtons[i].id));
  SendMessageW(Item(IDC_KEY_FIELD), WM_SETFONT, reinterpret_cast<WPARAM>(keyFieldFont_.get()), FALSE);
  for (int id : {IDC_MEDIA_LIST, IDC_FUNCTION_LIST, IDC_MACRO_NAMES}) {
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  }
  for (std::wstring_view name : kMediaTable) {
    SendMessageW(Item(IDC_MEDIA_LIST), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(name).c_str()));
  }
  for (const CommandRow& row : kCommandTable) {
    SendMessageW(Item(IDC_FUNCTION_LIST), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(std::wstring(row.displayName).c_str()));
  }
  HWND steps = Item(IDC_STEP_LIST);
  SendMessageW(steps, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES);
  const wchar_t* headings[] = {L"Key", L"Action"};
  for (int column = 0; column < 2; ++column) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.fmt = LVCFMT_LEFT;
    c.cx = 70;
    c.pszText = const_cast<wchar_t*>(headings[column]);
    SendMessageW(steps, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
  }
  LayOutControls();
  logic_.Open();
  appliedKind_ = logic_.kind();
  ApplyView(true);
  ShapeDialog();
  return TRUE;
}

void CSetCongfig::LayOutControls() {
  for (size_t i = 0; i < kButtons.size(); ++i) {
    const int entry = kButtons[i].entry;
    const Rect& area = layout_[static_cast<size_t>(entry - 1)];
    CBitButtton& button = buttons_[i];
    button.model() = BitButtonModel{};
    button.model().sticky = (entry >= 6 && entry <= 9) || entry == 12;
    if (entry <= 9) {
      button.SetFaces(CutPicture(pictures_[kKeyNormal].get(), area), CutPicture(pictures_[kKeyOver].get(), area),
                      CutPicture(pictures_[kKeyDown].get(), area), nullptr);
    } else {
      button.SetFaces(CutPicture(pictures_[kMacroNormal].get(), area), CutPicture(pictures_[kMacroOver].get(), area),
                      CutPicture(pictures_[kMacroDown].get(), area), CutPicture(pictures_[kMacroDisable].get(), area));
    }
    MoveWindow(button.hwnd(), area.left, area.top, area.Width(), area.Height(), TRUE);
  }
  for (size_t i = 0; i < kListEntryIds.size(); ++i) {
    const Rect& area = layout_[18 + i];
    HWND control = Item(kListEntryIds[i]);
    MoveWindow(control, area.left, area.top, area.Width(), area.Height(), TRUE);
    ShowWindow(control, SW_HIDE);
  }
}

void CSetCongfig::ShapeDialog() {
  if (maskSize_.cx > 0 && maskSize_.cy > 0) {
    MoveWindow(hwnd(), 0, 0, maskSize_.cx, maskSize_.cy, TRUE);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    if (copy != nullptr && outline_ && CombineRgn(copy, outline_.get(), nullptr, RGN_COPY) != ERROR &&
        SetWindowRgn(hwnd(), copy, TRUE)) {
      copy = nullptr;  // the window owns it now
    }
    if (copy != nullptr) DeleteObject(copy);
  }
  // Centred on the work area of the monitor that shows the main window.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const RECT& work = monitor.rcWork;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(hwnd(), nullptr, (work.left + work.right - width) / 2, (work.top + work.bottom - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- painting and dragging --------------------------------------------------------------------

void CSetCongfig::PaintBackground(HDC dc) {
  static constexpr Picture kBackgrounds[] = {kKeyNormal, kMacroNormal, kMedia, kFunction, kMacroOnly};
  const int kind = logic_.kind();
  if (kind < 0 || kind > 4) return;
  HBITMAP picture = pictures_[kBackgrounds[kind]].get();
  RECT window{};
  GetWindowRect(hwnd(), &window);
  CopyPictureArea(dc, picture, Rect{0, 0, window.right - window.left, window.bottom - window.top});
}

LRESULT CSetCongfig::OnEraseBackground(UINT, WPARAM wParam, LPARAM, bool&) {
  PaintBackground(reinterpret_cast<HDC>(wParam));
  return TRUE;
}

LRESULT CSetCongfig::OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
  const LRESULT hit = DefWindowProcW(hwnd(), message, wParam, lParam);
  return hit == HTCLIENT ? HTCAPTION : hit;
}

LRESULT CSetCongfig::OnDrawItem(UINT, WPARAM, LPARAM lParam, bool& handled) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  for (const CBitButtton& button : buttons_) {
    if (button.hwnd() == item->hwndItem) {
      button.DrawItem(*item);
      return TRUE;
    }
  }
  handled = false;
  return FALSE;
}

LRESULT CSetCongfig::OnNotify(UINT, WPARAM, LPARAM lParam, bool& handled) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->idFrom != IDC_STEP_LIST) {
    handled = false;
    return 0;
  }
  if (header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
      const int row = SelectedRow(Item(IDC_STEP_LIST));
      logic_.OnStepSelected(row);
      applied_.stepSelection = row;
    }
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
      const bool selected = static_cast<int>(draw->nmcd.dwItemSpec) == SelectedRow(Item(IDC_STEP_LIST));
      draw->clrText = selected ? RGB(255, 255, 255) : RGB(0, 0, 0);
      draw->clrTextBk = selected ? RGB(49, 106, 197) : RGB(255, 255, 255);
      return CDRF_DODEFAULT;
    }
    default:
      return 0;
  }
}

// --- commands -----------------------------------------------------------------------------------

LRESULT CSetCongfig::OnRecordedKey(UINT, WPARAM, LPARAM, bool&) {
  // The message's parameters are never read: the events come from where our hook left them.
  if (logic_.TakeRecordedKeys(recordedKeys_, InSendMessage() != FALSE)) ApplyView(false);
  return 0;
}

LRESULT CSetCongfig::OnCommand(UINT, WPARAM wParam, LPARAM, bool& handled) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (id == IDC_MACRO_NAMES) {
    switch (code) {
      case CBN_EDITCHANGE:
        logic_.RenameMacro(WindowText(Item(IDC_MACRO_NAMES)));
        break;
      case CBN_SELCHANGE:
        logic_.SelectMacro(static_cast<int>(SendMessageW(Item(IDC_MACRO_NAMES), CB_GETCURSEL, 0, 0)));
        break;
      case CBN_KILLFOCUS:
        logic_.RefillMacroNames();
        break;
      default:
        return 0;
    }
    ApplyView(false);
    return 0;
  }
  const int row = SelectedRow(Item(IDC_STEP_LIST));
  switch (id) {
    case IDC_ASSIGN_OK:
    case IDOK:  // Enter does what the OK button does
      if (workingKeyMap_ != nullptr && media_ != nullptr) {
        logic_.OnOk(*workingKeyMap_, *media_, static_cast<int>(SendMessageW(Item(IDC_MEDIA_LIST), CB_GETCURSEL, 0, 0)),
                    static_cast<int>(SendMessageW(Item(IDC_FUNCTION_LIST), CB_GETCURSEL, 0, 0)));
      }
      Close(IDOK);
      return 0;
    case IDCANCEL:
      logic_.OnCancel();
      Close(IDCANCEL);
      return 0;
    case IDC_SINGLE_KEY:
      logic_.OnSingleKeyButton();
      break;
    case IDC_MACRO_MODE:
      logic_.OnMacroButton();
      break;
    case IDC_MEDIA_MODE:
      logic_.OnMediaButton();
      break;
    case IDC_FUNCTION_MODE:
      logic_.OnFunctionButton();
      break;
    case IDC_CLEAR:
      logic_.OnClear();
      break;
    case IDC_OSK:
      StartOnScreenKeyboard(hwnd());
      return 0;
    case IDC_ADD_MACRO:
      logic_.AddMacro();
      break;
    case IDC_DELETE_MACRO:
      logic_.DeleteMacro();
      break;
    case IDC_RECORD:
      logic_.OnRecordButton(static_cast<int16_t>(GetKeyState(VK_NUMLOCK)));
      break;
    case IDC_DELETE_STEP:
      logic_.DeleteStep(row);
      break;
    case IDC_CLEAR_STEPS:
      logic_.ClearSteps();
      break;
    case IDC_FIRST_STEP:
      logic_.SelectFirstStep();
      break;
    case IDC_STEP_UP:
      logic_.SelectStepAbove(row);
      break;
    case IDC_STEP_DOWN:
      logic_.SelectStepBelow(row);
      break;
    case IDC_LAST_STEP:
      logic_.SelectLastStep();
      break;
    default:
      handled = false;
      return 0;
  }
  ApplyView(false);
  return 0;
}

void CSetCongfig::Close(INT_PTR result) {
  ApplyView(false);  // takes the recording hook out
  recordingHook_.Remove();
  recordedKeys_.Clear();
  ReleaseFaces();
  EndDialog(hwnd(), result);
}

void CSetCongfig::ReleaseFaces() {
  for (CBitButtton& button : buttons_) button.ReleaseFaces();
}

// --- the controls follow the logic ------------------------------------------------------------

void CSetCongfig::ApplyView(bool everything) {
  const AssignView& v = logic_.view();
  AssignView& was = applied_;
  auto changed = [everything](const auto& now, const auto& before) { return everything || now != before; };
  auto show = [&](int id, bool visible) { ShowWindow(Item(id), visible ? SW_SHOWNORMAL : SW_HIDE); };

  if (changed(v.keyFieldText, was.keyFieldText)) SetDlgItemTextW(hwnd(), IDC_KEY_FIELD, v.keyFieldText.c_str());
  if (changed(v.mediaSelection, was.mediaSelection)) {
    SendMessageW(Item(IDC_MEDIA_LIST), CB_SETCURSEL, static_cast<WPARAM>(v.mediaSelection), 0);
  }
  if (changed(v.functionSelection, was.functionSelection)) {
    SendMessageW(Item(IDC_FUNCTION_LIST), CB_SETCURSEL, static_cast<WPARAM>(v.functionSelection), 0);
  }
  HWND names = Item(IDC_MACRO_NAMES);
  const bool itemsChanged = changed(v.macroItems, was.macroItems);
  if (itemsChanged) {
    SendMessageW(names, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : v.macroItems) SendMessageW(names, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  if (itemsChanged || changed(v.macroSelection, was.macroSelection)) {
    SendMessageW(names, CB_SETCURSEL, static_cast<WPARAM>(v.macroSelection), 0);
  }
  if (WindowText(names) != v.macroFieldText) SetWindowTextW(names, v.macroFieldText.c_str());

  HWND steps = Item(IDC_STEP_LIST);
  ApplyStepRows(v, was, everything);
  if (changed(v.stepSelection, was.stepSelection) || changed(v.stepRows, was.stepRows)) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageW(steps, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (v.stepSelection >= 0) {
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(steps, LVM_SETITEMSTATE, static_cast<WPARAM>(v.stepSelection), reinterpret_cast<LPARAM>(&state));
      SendMessageW(steps, LVM_ENSUREVISIBLE, static_cast<WPARAM>(v.stepSelection), FALSE);
    }
  }

  if (changed(v.stepButtonsEnabled, was.stepButtonsEnabled)) {
    for (int id : kStepButtonIds) EnableWindow(Item(id), v.stepButtonsEnabled);
  }
  if (changed(v.macroEditEnabled, was.macroEditEnabled)) {
    for (int id : {IDC_ADD_MACRO, IDC_DELETE_MACRO, IDC_MACRO_NAMES}) EnableWindow(Item(id), v.macroEditEnabled);
  }
  if (changed(v.keyFieldVisible, was.keyFieldVisible)) show(IDC_KEY_FIELD, v.keyFieldVisible);
  if (changed(v.mediaListVisible, was.mediaListVisible)) show(IDC_MEDIA_LIST, v.mediaListVisible);
  if (changed(v.functionListVisible, was.functionListVisible)) show(IDC_FUNCTION_LIST, v.functionListVisible);
  if (changed(v.macroControlsVisible, was.macroControlsVisible)) {
    for (int id : kMacroButtonIds) show(id, v.macroControlsVisible);
    show(IDC_MACRO_NAMES, v.macroControlsVisible);
    show(IDC_STEP_LIST, v.macroControlsVisible);
  }
  if (changed(v.singleKeyButtonVisible, was.singleKeyButtonVisible)) show(IDC_SINGLE_KEY, v.singleKeyButtonVisible);
  if (changed(v.mediaButtonVisible, was.mediaButtonVisible)) show(IDC_MEDIA_MODE, v.mediaButtonVisible);
  if (changed(v.functionButtonVisible, was.functionButtonVisible)) show(IDC_FUNCTION_MODE, v.functionButtonVisible);

  for (size_t i = 0; i < 4; ++i) {
    CBitButtton& button = buttons_[kModeButtonIndex + i];
    if (changed(v.modeButtons[i].selected, was.modeButtons[i].selected)) {
      button.model().selected = v.modeButtons[i].selected;
      if (!v.modeButtons[i].selected || v.modeButtons[i].state == ButtonState::Idle) button.model().state = ButtonState::Idle;
      button.Redraw();
    }
  }
  if (changed(v.recordButton.selected, was.recordButton.selected)) {
    buttons_[kRecordButtonIndex].model().selected = v.recordButton.selected;
    buttons_[kRecordButtonIndex].Redraw();
  }

  if (v.focus != DialogFocus::None && changed(v.focus, was.focus)) {
    const int id = v.focus == DialogFocus::KeyField     ? IDC_KEY_FIELD
                   : v.focus == DialogFocus::MediaList  ? IDC_MEDIA_LIST
                   : v.focus == DialogFocus::FunctionList ? IDC_FUNCTION_LIST
                                                          : IDC_MACRO_NAMES;
    SetFocus(Item(id));
  }
  applied_ = v;
  SyncRecordingHook();
  if (logic_.kind() != appliedKind_) {
    if (!everything) InvalidateRect(hwnd(), nullptr, TRUE);  // the background follows the mode
    appliedKind_ = logic_.kind();
  }
}

void CSetCongfig::ApplyStepRows(const AssignView& now, const AssignView& before, bool everything) {
  if (!everything && now.stepRows == before.stepRows) return;
  HWND steps = Item(IDC_STEP_LIST);
  // A recorded event adds a row at the end: only that row is inserted, the rest stay.
  const bool grewAtEnd = !everything && now.stepRows.size() > before.stepRows.size() &&
                         std::equal(before.stepRows.begin(), before.stepRows.end(), now.stepRows.begin());
  size_t first = 0;
  if (grewAtEnd) {
    first = before.stepRows.size();
  } else {
    SendMessageW(steps, LVM_DELETEALLITEMS, 0, 0);
  }
  for (size_t r = first; r < now.stepRows.size(); ++r) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(r);
    item.pszText = const_cast<wchar_t*>(now.stepRows[r].key.c_str());
    SendMessageW(steps, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(now.stepRows[r].action.c_str());
    SendMessageW(steps, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
  }
}

// --- questions ----------------------------------------------------------------------------------

std::wstring CSetCongfig::KeyName(int32_t keyNameParameter) {
  wchar_t name[256] = L"";
  const int length = GetKeyNameTextW(keyNameParameter, name, 256);
  return std::wstring(name, static_cast<size_t>(length > 0 ? length : 0));
}

bool CSetCongfig::ConfirmMacroDelete(std::wstring_view text) {
  const std::wstring question(text);
  const std::wstring caption(kMacroInUseCaption);
  return MessageBoxExW(hwnd(), question.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONWARNING,
                       MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)) == IDOK;
}

void CSetCongfig::Warn(std::wstring_view text) {
  const std::wstring message(text);
  MessageBoxExW(hwnd(), message.c_str(), L"", MB_OK, MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
}

}  // namespace orvelle

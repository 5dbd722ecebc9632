#include "app/tarvel_dlg_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dbt.h>
#include <windowsx.h>
#include <wtsapi32.h>  // the session notice codes; the functions come from SessionNotices

#include "app/about_dlg_win.h"
#include "device/hid_win.h"
#include "device/presence.h"
#include "engine/hook_watch.h"
#include "model/profile_file.h"
#include "model/profile_store.h"
#include "platform/win32/executable_win.h"
#include "model/working_edits.h"

namespace orvelle {
namespace {

// "ini File(*.ini)|*.ini||" as the system's file dialogs want it: NUL-separated, NUL-ended.
std::wstring SystemFilter(std::wstring_view filter) {
  std::wstring out(filter);
  for (wchar_t& c : out) {
    if (c == L'|') c = L'\0';
  }
  return out;
}

std::optional<std::wstring> ChooseFile(HWND owner, const FileDialogSetup& setup, bool save) {
  wchar_t file[MAX_PATH] = L"";
  const std::wstring filter = SystemFilter(setup.filter);
  const std::wstring title(setup.title);
  const std::wstring extension(setup.defaultExtension);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = setup.flags | OFN_EXPLORER;
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return std::wstring(file);
}

}  // namespace

CTarvelDlg::CTarvelDlg(HINSTANCE instance)
    : instance_(instance),
      folder_(ExecutableFolder()),
      assign_(instance, folder_),
      store_(files_, DecodeAnsi, folder_),
      icon_(LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP))),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      worker_(queue_),
      remapHook_(instance, profiles_, keyboardPresent_, queue_, worker_) {
  skin_.LoadSkin(folder_);
  InitKeyMaps(profiles_);
}

CTarvelDlg::~CTarvelDlg() = default;

// --- start-up and shut-down -------------------------------------------------------------------

LRESULT CTarvelDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  SetWindowTextW(hwnd(), L"ORVELLE");
  SetPropW(hwnd(), kInstanceProperty, reinterpret_cast<HANDLE>(1));
  // Explorer announces its restart to every window; a program running elevated must let that
  // message in, or its tray icon would not come back.
  ChangeWindowMessageFilterEx(hwnd(), taskbarCreated_, MSGFLT_ALLOW, nullptr);
  AddTrayIcon();
  hover_.hovered = kNoEntry;
  profiles_.working.assignedSlots.clear();
  startupReport_ = store_.Load(table_, profiles_);
  skin_.ShapeWindow(hwnd());
  SetUpTooltip();
  profiles_.pending = false;
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  sessionNotices_ = std::make_unique<SessionNotices>(hwnd());
  deviceNotices_ = RegisterDeviceNotices(hwnd());
  // Raw input reports every key event of the desktop after the hooks saw it, also while the
  // window is hidden: how the program notices that the system dropped the remap hook.
  const RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, hwnd()};
  RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
  CentreOnWorkArea();
  // Last: until the profiles are read every key maps to itself, and a hook installed earlier
  // would only wait for the files to be read, where the system could drop it.
  CheckKeyboardPresence();
  if (StartupMessage(startupReport_)) PostMessageW(hwnd(), kStartupNoticeMessage, 0, 0);
  return TRUE;
}

LRESULT CTarvelDlg::OnStartupNotice(UINT, WPARAM, LPARAM, bool&) {
  if (const auto message = StartupMessage(startupReport_)) Tell(*message);
  return 0;
}

void CTarvelDlg::CentreOnWorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int left = (work.left + work.right) / 2 - width / 2;
  int top = (work.top + work.bottom) / 2 - height / 2;
  // Kept inside the work area where the window is smaller than it.
  if (left + width > work.right) left = work.right - width;
  if (top + height > work.bottom) top = work.bottom - height;
  if (left < work.left) left = work.left;
  if (top < work.top) top = work.top;
  SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CTarvelDlg::OnShowWindow(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;  // the dialog's own show handling runs; device notices are registered once
  return 0;
}

LRESULT CTarvelDlg::OnQueryEndSession(UINT, WPARAM, LPARAM, bool&) {
  // Windows may end the process once the session ends, without a WM_DESTROY: save now.
  SaveProfiles();
  return TRUE;
}

LRESULT CTarvelDlg::OnEndSession(UINT, WPARAM wParam, LPARAM, bool&) {
  if (!wParam) return 0;
  // The session ends and the process may be ended any moment after this returns: hooks out,
  // every key released, profiles saved.
  RemoveHooks();
  worker_.Stop();
  SaveProfiles();
  return 0;
}

LRESULT CTarvelDlg::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  closing_ = true;
  RemoveHooks();
  SaveProfiles();
  RemoveTrayIcon();
  sessionNotices_.reset();
  deviceNotices_.reset();
  const RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_REMOVE, nullptr};
  RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
  RemovePropW(hwnd(), kInstanceProperty);
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  handled = false;
  return 0;
}

LRESULT CTarvelDlg::OnExitApplication(WORD, WORD, HWND, bool&) {
  assign_.CancelIfOpen();
  RemoveHooks();
  EndDialog(hwnd(), IDCANCEL);
  return 0;
}

void CTarvelDlg::RemoveHooks() {
  assign_.RemoveRecordingHook();
  remapHook_.Remove();
}

LRESULT CTarvelDlg::OnEndDialogCommand(WORD, WORD id, HWND, bool&) {
  // Enter and Esc end the main window as the system's dialog handling would.
  EndDialog(hwnd(), id);
  return 0;
}

void CTarvelDlg::SaveProfiles() {
  KillTimer(hwnd(), kSaveTimer);
  ApplyWorkingCopy(profiles_);
  SaveNow();
}

void CTarvelDlg::ScheduleSave() {
  // Every applied change starts the delay again, so a burst of changes costs one write; a process
  // killed a second after an edit has the edit on the disk.
  if (!closing_) SetTimer(hwnd(), kSaveTimer, kSaveDelayMs, nullptr);
}

LRESULT CTarvelDlg::OnTimer(UINT, WPARAM wParam, LPARAM, bool& handled) {
  switch (wParam) {
    case kSaveTimer:
      KillTimer(hwnd(), kSaveTimer);
      SaveNow();
      return 0;
    case kHookWatchTimer:
      KillTimer(hwnd(), kHookWatchTimer);
      if (keyboardPresent_ && !assign_.recordingHookInstalled()) FollowHookWatch(remapHook_.CheckWatch(GetTickCount()));
      return 0;
    default:
      handled = false;
      return 0;
  }
}

void CTarvelDlg::SaveNow() {
  const SaveResult result = store_.Save(table_, profiles_);
  if (result.outcome == SaveOutcome::Saved) saveFailureTold_ = false;
  if (result.outcome != SaveOutcome::Failed || saveFailureTold_) return;
  saveFailureTold_ = true;
  Tell(result.message);
}

// --- keyboard presence ------------------------------------------------------------------------

void CTarvelDlg::SetKeyboardPresent(bool present) {
  keyboardPresent_ = present;
  if (!present) {
    remapHook_.Remove();
    return;
  }
  if (remapHook_.installed()) return;
  remapHook_.Install();
  // The newest hook is called first: a recording in progress keeps the keys.
  if (assign_.recordingHookInstalled()) assign_.PutRecordingHookFirst();
}

void CTarvelDlg::CheckKeyboardPresence() { SetKeyboardPresent(IsKeyboardPresent(hwnd())); }

void CTarvelDlg::ReinstallRemapHook() {
  if (!keyboardPresent_ || closing_) return;
  remapHook_.Reinstall();
  if (assign_.recordingHookInstalled()) assign_.PutRecordingHookFirst();
}

void CTarvelDlg::AfterMessage(UINT message, unsigned long long elapsedMs) {
  // The system removes a low-level hook whose thread kept it waiting past the hook timeout, and
  // says nothing. After a long handler (a slow device enumeration, a modal dialog that ran inside
  // it) the hook is put back at once rather than at the next keystroke. Start-up installs the
  // hook at its very end, so its length cost the hook nothing.
  if (message != WM_INITDIALOG && HandlerStallMayHaveDroppedHook(static_cast<int64_t>(elapsedMs))) {
    ReinstallRemapHook();
  }
}

LRESULT CTarvelDlg::OnRawInput(UINT, WPARAM, LPARAM lParam, bool& handled) {
  handled = false;  // the system's default handling frees the input
  RAWINPUT raw{};
  UINT size = sizeof raw;
  if (GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &raw, &size, sizeof(RAWINPUTHEADER)) ==
          static_cast<UINT>(-1) ||
      raw.header.dwType != RIM_TYPEKEYBOARD) {
    return 0;
  }
  // While the recording hook runs it takes every key first and passes none on: the remap hook
  // sees nothing then and has not been lost.
  if (!keyboardPresent_ || assign_.recordingHookInstalled()) return 0;
  const RAWKEYBOARD& key = raw.data.keyboard;
  // Raw input also reports what no hook is ever shown: the fake key 255 some keys send around
  // themselves and the E1 prefix of Pause.
  if (key.VKey == 0xFF || (key.Flags & RI_KEY_E1) != 0) return 0;
  FollowHookWatch(remapHook_.OnRawEvent(key.MakeCode, (key.Flags & RI_KEY_BREAK) != 0,
                                        static_cast<uint32_t>(GetMessageTime()), GetTickCount()));
  return 0;
}

void CTarvelDlg::FollowHookWatch(RemapHook::WatchState state) {
  switch (state) {
    case RemapHook::WatchState::Lost:
      KillTimer(hwnd(), kHookWatchTimer);
      ReinstallRemapHook();
      break;
    case RemapHook::WatchState::Waiting:
      SetTimer(hwnd(), kHookWatchTimer, kHookGraceMs + 20, nullptr);
      break;
    case RemapHook::WatchState::Alive:
      break;
  }
}

LRESULT CTarvelDlg::OnDeviceChange(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
  const DeviceEvent event = wParam == DBT_DEVICEARRIVAL          ? DeviceEvent::Arrival
                            : wParam == DBT_DEVICEREMOVECOMPLETE ? DeviceEvent::RemoveComplete
                                                                 : DeviceEvent::Other;
  if (event == DeviceEvent::Other || header == nullptr) return TRUE;
  std::wstring_view path;
  if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
    path = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header)->dbcc_name;
  }
  const PresenceChange change = DecideDeviceNotice(event, header->dbch_devicetype, path);
  if (change == PresenceChange::None) return TRUE;
  // The keyboard has several interfaces, and the same vendor may make the mouse: one interface
  // leaving ends remapping only when none of the vendor's is left.
  SetKeyboardPresent(change == PresenceChange::Arrived || IsKeyboardPresent(hwnd()));
  RefreshTrayIcon();
  return TRUE;
}

LRESULT CTarvelDlg::OnPowerBroadcast(UINT, WPARAM wParam, LPARAM, bool& handled) {
  // Devices may have come or gone while the machine slept, without a notice.
  if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
    CheckKeyboardPresence();
    ReinstallRemapHook();
  }
  handled = false;
  return TRUE;
}

LRESULT CTarvelDlg::OnSessionChange(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if (wParam == WTS_SESSION_UNLOCK) {
    CheckKeyboardPresence();
    ReinstallRemapHook();
  }
  handled = false;
  return 0;
}

#ifdef ORVELLE_E2E
LRESULT CTarvelDlg::OnCopyData(UINT, WPARAM, LPARAM lParam, bool&) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (data == nullptr || data->dwData != kSimulatedDeviceTag) return FALSE;
  const std::wstring_view text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
  if (text == L"status") return (remapHook_.installed() ? 1 : 0) | (keyboardPresent_ ? 2 : 0);
  if (text == L"installs") return remapHook_.installs();
  if (text == L"drop-hook") {
    remapHook_.DropBehindOwnersBack();
    return TRUE;
  }
  OnSimulatedDeviceCommand(hwnd(), text.data(), text.size());
  return TRUE;
}
#endif

// --- painting ---------------------------------------------------------------------------------

void CTarvelDlg::DrawRegion(RegionLook look, int entry) { skin_.Draw(hwnd(), RegionBlits(table_, look, entry)); }

void CTarvelDlg::DrawRegions(const std::vector<RegionDraw>& draws) {
  for (const RegionDraw& draw : draws) DrawRegion(draw.look, draw.entry);
}

void CTarvelDlg::PaintMainWindow(HDC target) {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  skin_.PaintBackground(target, SIZE{window.right - window.left, window.bottom - window.top});
  DrawRegions(PaintDraws(profiles_.activeProfile, profiles_.working.assignedSlots));
}

LRESULT CTarvelDlg::OnEraseBackground(UINT, WPARAM wParam, LPARAM, bool&) {
  PaintMainWindow(reinterpret_cast<HDC>(wParam));
  return TRUE;
}

LRESULT CTarvelDlg::OnPaint(UINT, WPARAM, LPARAM, bool& handled) {
  if (!IsIconic(hwnd())) {
    handled = false;  // the standard painting, whose background is PaintMainWindow
    return 0;
  }
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon_);
  EndPaint(hwnd(), &paint);
  return 0;
}

LRESULT CTarvelDlg::OnQueryDragIcon(UINT, WPARAM, LPARAM, bool&) { return reinterpret_cast<LRESULT>(icon_); }

void CTarvelDlg::RepaintMainWindow() {
  const WindowDc dc(hwnd());
  PaintMainWindow(dc.get());
}

// --- mouse --------------------------------------------------------------------------------------

LRESULT CTarvelDlg::OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
  // The whole window counts as caption, so it can be dragged by any point.
  const LRESULT hit = DefWindowProcW(hwnd(), message, wParam, lParam);
  return hit == HTCLIENT ? HTCAPTION : hit;
}

LRESULT CTarvelDlg::OnNcMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (tooltip_ != nullptr) {
    MSG relay{hwnd(), message, wParam, lParam, 0, {}};
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
  }
  TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE | TME_NONCLIENT, hwnd(), 10};
  TrackMouseEvent(&track);
  handled = false;
  return 0;
}

LRESULT CTarvelDlg::OnNcMouseHover(UINT, WPARAM, LPARAM lParam, bool&) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd(), &point);
  const HoverUpdate update =
      UpdateHover(table_, profiles_.working, profiles_.activeProfile, Point{point.x, point.y}, hover_);
  DrawRegions(update.draws);
  if (update.tipText) SetTooltipText(*update.tipText);
  return 0;
}

LRESULT CTarvelDlg::OnNcMouseLeave(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT CTarvelDlg::OnNcLeftButtonDown(UINT, WPARAM, LPARAM lParam, bool& handled) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd(), &point);
  const ClickPlan plan = HandleClick(table_, Point{point.x, point.y});
  RunScreenAction(plan.action);
  if (plan.keyEdit) EditKey(plan.entry);
  // Apply, OK, Default, a profile switch and a key edit change what is saved; the save finds out
  // itself when nothing did.
  if (plan.action != ScreenAction::None || plan.keyEdit) ScheduleSave();
  // Then the system's own handling, which drags the window: not when the action put the window
  // away, nor when a dialog or menu of the action already took the button's release (the drag
  // would then wait for a release that has come and gone).
  const bool stillPressed = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
  handled = !stillPressed || !IsWindowVisible(hwnd()) || IsIconic(hwnd());
  return 0;
}

void CTarvelDlg::RunScreenAction(ScreenAction action) {
  switch (action) {
    case ScreenAction::None:
      break;
    case ScreenAction::Hide:
      ShowWindow(hwnd(), SW_HIDE);
      break;
    case ScreenAction::MacroEdit:
      EditMacros();
      break;
    case ScreenAction::Minimize:
      ShowWindow(hwnd(), SW_MINIMIZE);
      break;
    case ScreenAction::ButtonMenu:
      ShowPopupMenu(IDR_BUTTON_MENU);
      break;
    case ScreenAction::Apply:
      ApplyWorkingCopy(profiles_);
      break;
    case ScreenAction::ApplyAndHide:
      ApplyWorkingCopy(profiles_);
      ShowWindow(hwnd(), SW_HIDE);
      break;
    case ScreenAction::Reset:
      ResetToDefaults(profiles_, table_, *this);
      break;
    case ScreenAction::Profile1:
      SwitchProfile(profiles_, 1, *this);
      break;
    case ScreenAction::Profile2:
      SwitchProfile(profiles_, 2, *this);
      break;
    case ScreenAction::Profile3:
      SwitchProfile(profiles_, 3, *this);
      break;
  }
}

void CTarvelDlg::EditKey(int entry) {
  AssignEdit& edit = assign_.logic().edit();
  PrepareSlotEdit(profiles_, table_, entry, edit);
  // OK without a new key press keeps what the key sends now.
  const auto current = profiles_.working.keyMap.find(edit.keyCode);
  const bool singleTarget = edit.kind == static_cast<int>(AssignKind::SingleKey) &&
                            current != profiles_.working.keyMap.end() && current->second.size() == 1;
  assign_.logic().SetCapturedKeyCode(singleTarget ? current->second.front() : edit.keyCode);
  if (assign_.Run(hwnd(), profiles_.working.keyMap, table_.media) != IDOK) return;
  CommitSlotEdit(profiles_, table_, entry, edit);
  RepaintMainWindow();  // the key shows its new look at once
}

void CTarvelDlg::EditMacros() {
  PrepareMacroEdit(profiles_, assign_.logic().edit());
  if (assign_.Run(hwnd(), profiles_.working.keyMap, table_.media) != IDOK) return;
  CommitMacroEdit(profiles_, table_, assign_.logic().edit());
  RepaintMainWindow();
}

void CTarvelDlg::ShowPopupMenu(int menuId) {
  POINT cursor{};
  GetCursorPos(&cursor);
  const UniqueMenu menu(LoadMenuW(instance_, MAKEINTRESOURCEW(menuId)));
  if (!menu) return;
  SetForegroundWindow(hwnd());
  TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd(), nullptr);
}

// --- tooltip ------------------------------------------------------------------------------------

void CTarvelDlg::SetUpTooltip() {
  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, instance_, nullptr);
  if (tooltip_ == nullptr) return;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd());
  wchar_t text[] = L"ToolTip";
  tool.lpszText = text;
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip_, TTM_SETTIPBKCOLOR, RGB(255, 255, 224), 0);
  SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_INITIAL, 50);
}

void CTarvelDlg::SetTooltipText(const std::wstring& text) {
  if (tooltip_ == nullptr) return;
  std::wstring copy = text;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd());
  tool.lpszText = copy.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// --- tray icon and menus ------------------------------------------------------------------------

void CTarvelDlg::AddTrayIcon() {
  tray_ = NOTIFYICONDATAW{};
  tray_.cbSize = NOTIFYICONDATAW_V2_SIZE;
  tray_.hWnd = hwnd();
  tray_.uID = kTrayIconId;
  tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray_.uCallbackMessage = kTrayCallbackMessage;
  tray_.hIcon = icon_;
  wcscpy_s(tray_.szTip, L"ORVELLE");
  Shell_NotifyIconW(NIM_ADD, &tray_);
}

void CTarvelDlg::RefreshTrayIcon() {
  tray_.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_APP));
  Shell_NotifyIconW(NIM_MODIFY, &tray_);
}

void CTarvelDlg::RemoveTrayIcon() { Shell_NotifyIconW(NIM_DELETE, &tray_); }

LRESULT CTarvelDlg::OnTaskbarCreated(UINT, WPARAM, LPARAM, bool&) {
  // The shell restarted and forgot the icon; without it a hidden window could not come back.
  Shell_NotifyIconW(NIM_ADD, &tray_);
  return 0;
}

LRESULT CTarvelDlg::OnTrayNotify(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  const TrayResponse response = orvelle::OnTrayNotify(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
  switch (response.action) {
    case TrayAction::ShowWindow:
      ShowWindow(hwnd(), SW_RESTORE);
      SetForegroundWindow(hwnd());
      break;
    case TrayAction::TrayMenu:
      ShowPopupMenu(IDR_POPUP_MENU);
      break;
    case TrayAction::None:
      break;
  }
  return response.result;
}

LRESULT CTarvelDlg::OnOpen(WORD, WORD, HWND, bool&) {
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  return 0;
}

LRESULT CTarvelDlg::OnAbout(WORD, WORD, HWND, bool&) {
  CAboutDlg about;
  about.DoModal(instance_, IDD_ABOUTBOX, hwnd());
  return 0;
}

LRESULT CTarvelDlg::OnExport(WORD, WORD, HWND, bool&) {
  ExportProfile(files_, DecodeAnsi, table_, profiles_, *this);
  return 0;
}

LRESULT CTarvelDlg::OnImport(WORD, WORD, HWND, bool&) {
  if (ImportProfile(files_, DecodeAnsi, table_, profiles_, *this)) ScheduleSave();
  return 0;
}

// --- questions ----------------------------------------------------------------------------------

bool CTarvelDlg::Confirm(std::wstring_view text) {
  const std::wstring question(text);
  const std::wstring caption(kConfirmCaption);
  return MessageBoxExW(hwnd(), question.c_str(), caption.c_str(), kConfirmFlags,
                       static_cast<WORD>(kConfirmLanguage)) == IDOK;
}

void CTarvelDlg::Tell(std::wstring_view text) {
  const std::wstring message(text);
  const std::wstring caption(kConfirmCaption);
  MessageBoxExW(hwnd(), message.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING, static_cast<WORD>(kConfirmLanguage));
}

std::optional<std::wstring> CTarvelDlg::ChooseExportFile() { return ChooseFile(hwnd(), kExportDialog, true); }

std::optional<std::wstring> CTarvelDlg::ChooseImportFile() { return ChooseFile(hwnd(), kImportDialog, false); }

}  // namespace orvelle

#include "app/main_window_win.h"

#include <windowsx.h>
#include <wtsapi32.h>  // the session notice codes; the functions come from SessionNotices

#include "app/about_box_win.h"
#include "app/program_start_win.h"
#include "base/text.h"
#include "device/hid_win.h"
#include "engine/hook_watch.h"
#include "model/working_edits.h"
#include "platform/win32/executable_win.h"
#include "platform/win32/file_dialogs_win.h"
#include "platform/win32/window_place_win.h"

namespace orvelle {

MainWindow::MainWindow(HINSTANCE instance)
    : instance_(instance),
      folder_(ExecutableFolder()),
      assign_(instance, folder_),
      store_(files_, DecodeAnsi, folder_),
      icon_(LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP))),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      session_(instance, assign_) {
  skin_.LoadSkin(folder_);
  InitKeyMaps(profiles_);
}

MainWindow::~MainWindow() = default;

// --- start-up and shut-down -------------------------------------------------------------------

LRESULT MainWindow::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  SetWindowTextW(hwnd(), L"ORVELLE");
  SetPropW(hwnd(), kInstanceName, reinterpret_cast<HANDLE>(1));
  // Explorer announces its restart to every window; a program running elevated must let that
  // message in, or its tray icon would not come back.
  ChangeWindowMessageFilterEx(hwnd(), taskbarCreated_, MSGFLT_ALLOW, nullptr);
  tray_.Add(hwnd(), icon_, L"ORVELLE");
  hover_.hovered = kNoEntry;
  startupReport_ = store_.Load(table_, profiles_);
  session_.UseProfiles(profiles_, table_);
  for (int n = 1; n <= 3; ++n) trayIcons_[static_cast<size_t>(n - 1)] = BadgedTrayIcon(instance_, IDI_APP, n);
  foregroundPath_ = ProgramPathOf(GetForegroundWindow());
  ForegroundListener& listener = *this;
  foreground_ = std::make_unique<ForegroundWatch>(listener);
  foreground_->SetPolling(!profiles_.bindings.empty());
  FollowForeground();
  skin_.ShapeWindow(hwnd());
  tooltip_.Create(hwnd(), instance_);
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  sessionNotices_ = std::make_unique<SessionNotices>(hwnd());
  deviceNotices_ = RegisterDeviceNotices(hwnd());
  // Raw input reports every key event of the desktop after the hooks saw it, also while the
  // window is hidden: how the program notices that the system dropped the remap hook.
  const RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, hwnd()};
  RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
  CentreOnWorkArea(hwnd());
  session_.SetRequestWindow(hwnd(), kStartProgramMessage);
  // Last: until the profiles are read every key maps to itself, and a hook installed earlier
  // would only wait for the files to be read, where the system could drop it.
  CheckKeyboardPresence();
  if (StartupMessage(startupReport_)) PostMessageW(hwnd(), kStartupNoticeMessage, 0, 0);
  return TRUE;
}

LRESULT MainWindow::OnStartupNotice(UINT, WPARAM, LPARAM, bool&) {
  if (const auto message = StartupMessage(startupReport_)) Tell(*message);
  return 0;
}

LRESULT MainWindow::OnQueryEndSession(UINT, WPARAM, LPARAM, bool&) {
  // Windows may end the process once the session ends, without a WM_DESTROY: save now.
  SaveProfiles();
  return TRUE;
}

LRESULT MainWindow::OnEndSession(UINT, WPARAM wParam, LPARAM, bool&) {
  if (!wParam) return 0;
  // The session ends and the process may be ended any moment after this returns: hooks out,
  // every key released, profiles saved.
  assign_.RemoveRecordingHook();
  session_.Stop();
  SaveProfiles();
  return 0;
}

LRESULT MainWindow::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  closing_ = true;
  foreground_.reset();
  RemoveHooks();
  SaveProfiles();
  tray_.Remove();
  sessionNotices_.reset();
  deviceNotices_.reset();
  const RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_REMOVE, nullptr};
  RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
  RemovePropW(hwnd(), kInstanceName);
  tooltip_.Destroy();
  handled = false;
  return 0;
}

LRESULT MainWindow::OnExitApplication(WORD, WORD, HWND, bool&) {
  assign_.CancelIfOpen();
  RemoveHooks();
  EndDialog(hwnd(), IDCANCEL);
  return 0;
}

void MainWindow::RemoveHooks() {
  assign_.RemoveRecordingHook();
  session_.RemoveHook();
}

LRESULT MainWindow::OnEndDialogCommand(WORD, WORD id, HWND, bool&) {
  // Enter and Esc end the main window as the system's dialog handling would.
  EndDialog(hwnd(), id);
  return 0;
}

LRESULT MainWindow::OnTimer(UINT, WPARAM wParam, LPARAM, bool& handled) {
  switch (wParam) {
    case kSaveTimer:
      KillTimer(hwnd(), kSaveTimer);
      SaveNow();
      return 0;
    case kHookWatchTimer:
      KillTimer(hwnd(), kHookWatchTimer);
      FollowHookWatch(session_.CheckHook());
      return 0;
    default:
      handled = false;
      return 0;
  }
}

LRESULT MainWindow::OnStartProgram(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  if (closing_) return 0;
  if (auto start = ProgramToStart(profiles_, table_, static_cast<int>(lParam), static_cast<int>(wParam))) {
    programs_.Start(hwnd(), kProgramFailedMessage, std::move(*start));
  }
  return 0;
}

LRESULT MainWindow::OnProgramFailed(UINT, WPARAM, LPARAM, bool&) {
  const std::vector<std::wstring> failed = programs_.TakeFailures();
  if (failed.empty() || closing_ || tellingStartFailure_) return 0;
  // The message box runs a message loop: starts that fail meanwhile tell nothing more.
  tellingStartFailure_ = true;
  Tell(ProgramStartFailedMessage(failed.front()));
  tellingStartFailure_ = false;
  return 0;
}

// --- saving -------------------------------------------------------------------------------------

void MainWindow::SaveProfiles() {
  KillTimer(hwnd(), kSaveTimer);
  ApplyWorkingCopy(profiles_);
  session_.UseProfiles(profiles_, table_);
  SaveNow();
}

void MainWindow::ProfilesChanged() {
  session_.UseProfiles(profiles_, table_);
  FollowForeground();
  ScheduleSave();
}

void MainWindow::ScheduleSave() {
  // Every applied change starts the delay again, so a burst of changes costs one write; a process
  // killed a second after an edit has the edit on the disk.
  if (!closing_) SetTimer(hwnd(), kSaveTimer, kSaveDelayMs, nullptr);
}

void MainWindow::SaveNow() {
  const SaveResult result = store_.Save(table_, profiles_);
  if (result.outcome == SaveOutcome::Saved) saveFailureTold_ = false;
  if (result.outcome != SaveOutcome::Failed || saveFailureTold_) return;
  saveFailureTold_ = true;
  Tell(result.message);
}

// --- the keyboard and its hook ------------------------------------------------------------------

void MainWindow::CheckKeyboardPresence() { session_.SetKeyboardPresent(IsKeyboardPresent(hwnd())); }

void MainWindow::ReinstallRemapHook() {
  if (!closing_) session_.ReinstallHook();
}

void MainWindow::AfterMessage(UINT message, unsigned long long elapsedMs) {
  // The system removes a low-level hook whose thread kept it waiting past the hook timeout, and
  // says nothing. After a long handler (a slow device enumeration, a modal dialog that ran inside
  // it) the hook is put back at once rather than at the next keystroke. Start-up installs the
  // hook at its very end, so its length cost the hook nothing.
  if (message != WM_INITDIALOG && HandlerStallMayHaveDroppedHook(static_cast<int64_t>(elapsedMs))) {
    ReinstallRemapHook();
  }
}

LRESULT MainWindow::OnRawInput(UINT, WPARAM, LPARAM lParam, bool& handled) {
  handled = false;  // the system's default handling frees the input
  FollowHookWatch(session_.OnRawInput(reinterpret_cast<HRAWINPUT>(lParam)));
  return 0;
}

void MainWindow::FollowHookWatch(RemapHook::WatchState state) {
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

LRESULT MainWindow::OnDeviceChange(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  const PresenceChange change = ReadDeviceNotice(wParam, lParam);
  if (change == PresenceChange::None) return TRUE;
  // The keyboard has several interfaces, and the same vendor may make the mouse: one interface
  // leaving ends remapping only when none of the vendor's is left.
  session_.SetKeyboardPresent(change == PresenceChange::Arrived || IsKeyboardPresent(hwnd()));
  const UniqueIcon& icon = trayIcons_[static_cast<size_t>(session_.activeProfile() - 1)];
  tray_.Refresh(icon ? icon.get() : icon_);
  return TRUE;
}

LRESULT MainWindow::OnPowerBroadcast(UINT, WPARAM wParam, LPARAM, bool& handled) {
  // Devices may have come or gone while the machine slept, without a notice.
  if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
    CheckKeyboardPresence();
    ReinstallRemapHook();
  }
  handled = false;
  return TRUE;
}

LRESULT MainWindow::OnSessionChange(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if (wParam == WTS_SESSION_UNLOCK) {
    CheckKeyboardPresence();
    ReinstallRemapHook();
  }
  handled = false;
  return 0;
}

#ifdef ORVELLE_E2E
LRESULT MainWindow::OnCopyData(UINT, WPARAM, LPARAM lParam, bool&) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (data == nullptr || data->dwData != kSimulatedDeviceTag) return FALSE;
  const std::wstring_view text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
  if (text == L"status") return (session_.hookInstalled() ? 1 : 0) | (session_.keyboardPresent() ? 2 : 0);
  if (text == L"installs") return session_.hookInstalls();
  if (text == L"wakeups") return static_cast<LRESULT>(session_.workerWakeups());
  // The profile the keys follow, and when that last changed (Unix microseconds).
  if (text == L"profile") return session_.activeProfile();
  if (text == L"followed-at") return static_cast<LRESULT>(followedAtUs_);
  // "tip-is N program.exe": whether the tray tip says profile N, chosen by that program (none:
  // chosen by hand).
  if (text.starts_with(L"tip-is ")) {
    const std::wstring_view rest = text.substr(7);
    const size_t blank = rest.find(L' ');
    const FollowedProfile expected{ParseInt(rest.substr(0, blank)),
                                   blank == std::wstring_view::npos ? std::wstring() : std::wstring(rest.substr(blank + 1))};
    return tray_.tip() == TrayTip(expected) ? 1 : 0;
  }
  if (text == L"drop-hook") {
    UnhookWindowsHookEx(session_.hookHandle());
    return TRUE;
  }
  OnSimulatedDeviceCommand(hwnd(), text.data(), text.size());
  return TRUE;
}
#endif

// --- painting ---------------------------------------------------------------------------------

void MainWindow::DrawRegions(const std::vector<RegionDraw>& draws) {
  for (const RegionDraw& draw : draws) skin_.Draw(hwnd(), RegionBlits(table_, draw.look, draw.entry));
}

void MainWindow::PaintMainWindow(HDC target) {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  skin_.PaintBackground(target, SIZE{window.right - window.left, window.bottom - window.top});
  DrawRegions(PaintDraws(profiles_.activeProfile, profiles_.working.assignedSlots));
}

LRESULT MainWindow::OnEraseBackground(UINT, WPARAM wParam, LPARAM, bool&) {
  PaintMainWindow(reinterpret_cast<HDC>(wParam));
  return TRUE;
}

LRESULT MainWindow::OnPaint(UINT, WPARAM, LPARAM, bool& handled) {
  if (!IsIconic(hwnd())) {
    handled = false;  // the standard painting, whose background is PaintMainWindow
    return 0;
  }
  const PaintDc dc(hwnd());
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc.get(), x, y, icon_);
  return 0;
}

LRESULT MainWindow::OnQueryDragIcon(UINT, WPARAM, LPARAM, bool&) { return reinterpret_cast<LRESULT>(icon_); }

void MainWindow::RepaintMainWindow() {
  const WindowDc dc(hwnd());
  PaintMainWindow(dc.get());
}

// --- mouse --------------------------------------------------------------------------------------

LRESULT MainWindow::OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
  // The whole window counts as caption, so it can be dragged by any point.
  const LRESULT hit = DefWindowProcW(hwnd(), message, wParam, lParam);
  return hit == HTCLIENT ? HTCAPTION : hit;
}

LRESULT MainWindow::OnNcMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  tooltip_.Relay(message, wParam, lParam);
  TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE | TME_NONCLIENT, hwnd(), 10};
  TrackMouseEvent(&track);
  handled = false;
  return 0;
}

LRESULT MainWindow::OnNcMouseHover(UINT, WPARAM, LPARAM lParam, bool&) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd(), &point);
  const HoverUpdate update =
      UpdateHover(table_, profiles_.working, profiles_.activeProfile, Point{point.x, point.y}, hover_);
  DrawRegions(update.draws);
  if (update.tipText) tooltip_.SetText(*update.tipText);
  return 0;
}

LRESULT MainWindow::OnNcLeftButtonDown(UINT, WPARAM, LPARAM lParam, bool& handled) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd(), &point);
  const ClickPlan plan = HandleClick(table_, Point{point.x, point.y});
  RunScreenAction(plan.action);
  if (plan.keyEdit) EditKey(plan.entry);
  // Apply, OK, Default, a profile switch and a key edit change what is saved; the save finds out
  // itself when nothing did.
  if (plan.action != ScreenAction::None || plan.keyEdit) ProfilesChanged();
  // Then the system's own handling, which drags the window, only while the button is still down
  // and the window still shown. A press whose action put the window away, or whose dialog or
  // menu already took the button's release, must not start a drag that waits for a release that
  // has come and gone.
  const bool stillPressed = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
  handled = !(stillPressed && MainWindowShown());
  return 0;
}

void MainWindow::RunScreenAction(ScreenAction action) {
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

void MainWindow::EditKey(int entry) {
  AssignEdit edit;
  PrepareSlotEdit(profiles_, table_, entry, edit);
  const auto done = assign_.Run(hwnd(), edit, table_.media);
  if (!done) return;
  CommitSlotEdit(profiles_, table_, entry, *done);
  RepaintMainWindow();  // the key shows its new look at once
}

void MainWindow::EditMacros() {
  AssignEdit edit;
  PrepareMacroEdit(profiles_, edit);
  const auto done = assign_.Run(hwnd(), edit, table_.media);
  if (!done) return;
  CommitMacroEdit(profiles_, table_, *done);
  RepaintMainWindow();
}

// --- menu commands ----------------------------------------------------------------------------

LRESULT MainWindow::OnAbout(WORD, WORD, HWND, bool&) {
  AboutBox about;
  about.DoModal(instance_, IDD_ABOUTBOX, hwnd());
  return 0;
}

LRESULT MainWindow::OnExport(WORD, WORD, HWND, bool&) {
  ExportProfile(files_, DecodeAnsi, table_, profiles_, *this);
  return 0;
}

LRESULT MainWindow::OnImport(WORD, WORD, HWND, bool&) {
  if (ImportProfile(files_, DecodeAnsi, table_, profiles_, *this)) ProfilesChanged();
  return 0;
}

// --- questions ----------------------------------------------------------------------------------

bool MainWindow::Confirm(std::wstring_view text) {
  return ShowMessage(hwnd(), text, kConfirmCaption, kConfirmFlags) == IDOK;
}

void MainWindow::Tell(std::wstring_view text) { ShowMessage(hwnd(), text, kConfirmCaption, MB_OK | MB_ICONWARNING); }

std::optional<std::wstring> MainWindow::ChooseExportFile() { return ChooseFile(hwnd(), kExportDialog, true); }

std::optional<std::wstring> MainWindow::ChooseImportFile() { return ChooseFile(hwnd(), kImportDialog, false); }

}  // namespace orvelle

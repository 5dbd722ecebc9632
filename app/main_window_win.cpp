#include "app/main_window_win.h"

#include <utility>

#include "app/about_box_win.h"
#include "app/application.h"
#include "app/autostart.h"
#include "app/autostart_win.h"
#include "app/programs_editor_win.h"
#include "app/popup_menus_win.h"
#include "app/test_control_win.h"
#include "app/program_start_win.h"
#include "base/text.h"
#include "device/hid_win.h"
#include "model/working_edits.h"
#include "platform/win32/executable_win.h"
#include "platform/win32/file_dialogs_win.h"
#include "platform/win32/window_place_win.h"

namespace orvelle {

MainWindow::MainWindow(HINSTANCE instance, std::vector<RemoteCommand> commands)
    : instance_(instance),
      folder_(ExecutableFolder()),
      assign_(instance, folder_),
      saver_(folder_, table_, profiles_, *this),
      icon_(LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP))),
      follower_(profiles_, tray_),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      showRequest_(RegisterWindowMessageW(kShowWindowMessageName)),
      remoteCommand_(RegisterWindowMessageW(kRemoteCommandMessageName)),
      startCommands_(std::move(commands)),
      keeper_(instance, assign_),
      session_(keeper_.session()) {
  skin_.UseFolder(folder_, std::wstring(LanguageCode(CurrentLanguage())));
  InitKeyMaps(profiles_);
}

MainWindow::~MainWindow() = default;

// --- start-up and shut-down -------------------------------------------------------------------

LRESULT MainWindow::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  SetWindowTextW(hwnd(), L"ORVELLE");
  SetPropW(hwnd(), kInstanceName, reinterpret_cast<HANDLE>(1));
  // Explorer announces its restart to every window, and a second start asks us to show the
  // window; a program running elevated must let those messages in from programs that are not.
  ChangeWindowMessageFilterEx(hwnd(), taskbarCreated_, MSGFLT_ALLOW, nullptr);
  ChangeWindowMessageFilterEx(hwnd(), showRequest_, MSGFLT_ALLOW, nullptr);
  ChangeWindowMessageFilterEx(hwnd(), remoteCommand_, MSGFLT_ALLOW, nullptr);
  tray_.Add(instance_, hwnd(), icon_);
  notice_.Attach(instance_, hwnd(), profiles_);
  tray_.TellChangesTo(notice_);
  saver_.Attach(hwnd());
  startupReport_ = saver_.Load(table_, profiles_);
  face_.Attach(hwnd(), saver_.files(), DecodeAnsi, folder_ + L"Main.ini");
  if (auto balloon = FirstStartBalloon(startupReport_.profiles != ReadOutcome::Missing, WindowsBuild())) {
    tray_.ShowBalloon(std::move(*balloon));
  }
  session_.UseProfiles(profiles_, table_);
  follower_.Start(session_);
  skin_.ShapeWindow(hwnd());
  tooltip_.Create(hwnd(), instance_);
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  keeper_.Attach(hwnd());
  CentreOnWorkArea(hwnd());
  session_.SetRequestWindow(hwnd(), kStartProgramMessage);
  session_.SetProfileKeyMessage(kProfileKeyMessage);
  session_.SetLiveKeyMessage(kLiveKeyMessage);
  // Last: until the profiles are read every key maps to itself, and a hook installed earlier
  // would only wait for the files to be read, where the system could drop it.
  keeper_.CheckKeyboardPresence();
  if (StartupMessage(startupReport_)) PostMessageW(hwnd(), kStartupNoticeMessage, 0, 0);
  for (RemoteCommand command : startCommands_) PostMessageW(hwnd(), remoteCommand_, static_cast<WPARAM>(command), 0);
  return TRUE;
}

LRESULT MainWindow::OnStartupNotice(UINT, WPARAM, LPARAM, bool&) {
  if (const auto message = StartupMessage(startupReport_)) Tell(*message, MessageKind::Warning);
  return 0;
}

LRESULT MainWindow::OnQueryEndSession(UINT, WPARAM, LPARAM, bool&) {
  // Answered at once, without a message box (the system would show the program as holding up
  // the shut-down); the save waits for WM_ENDSESSION, which comes whatever the others answer.
  return TRUE;
}

LRESULT MainWindow::OnEndSession(UINT, WPARAM wParam, LPARAM, bool&) {
  if (!wParam) return 0;
  StopAsking();
  // The session ends and the process may be ended any moment after this returns: hooks out,
  // every key released, profiles saved, and nothing told.
  assign_.RemoveRecordingHook();
  session_.Stop();
  SaveProfiles();
  return 0;
}

LRESULT MainWindow::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  keeper_.Close();
  follower_.Stop();
  RemoveHooks();
  SaveProfiles();
  tray_.Remove();
  keeper_.Detach();
  RemovePropW(hwnd(), kInstanceName);
  tooltip_.Destroy();
  handled = false;
  return 0;
}

void MainWindow::OnExitApplication() {
  StopAsking();
  assign_.CancelIfOpen();
  RemoveHooks();
  EndDialog(hwnd(), IDCANCEL);
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

LRESULT MainWindow::OnStartProgram(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  if (keeper_.closing()) return 0;
  const int profile = static_cast<int>(lParam), code = static_cast<int>(wParam);
  if (auto start = ProgramToStart(profiles_, table_, profile, code, ExpandEnvironment)) {
    programs_.Start(hwnd(), kProgramFailedMessage, std::move(*start));
  }
  return 0;
}

LRESULT MainWindow::OnProgramFailed(UINT, WPARAM, LPARAM, bool&) {
  const std::vector<std::wstring> failed = programs_.TakeFailures();
  if (failed.empty() || keeper_.closing() || tellingStartFailure_) return 0;
  // The message box runs a message loop: starts that fail meanwhile tell nothing more.
  tellingStartFailure_ = true;
  Tell(ProgramStartFailedMessage(failed.front()), MessageKind::Error);
  tellingStartFailure_ = false;
  return 0;
}

// --- saving -------------------------------------------------------------------------------------

void MainWindow::SaveProfiles() {
  saver_.Cancel();
  ApplyWorkingCopy(profiles_);
  session_.UseProfiles(profiles_, table_);
  saver_.SaveAtExit();
}

void MainWindow::ProfilesChanged() {
  face_.Changed();
  session_.UseProfiles(profiles_, table_);
  follower_.Follow();
  ScheduleSave();
}

void MainWindow::ScheduleSave() {
  if (!keeper_.closing()) saver_.Schedule();
}

// --- the keyboard and its hook ------------------------------------------------------------------

LRESULT MainWindow::OnRawInput(UINT, WPARAM, LPARAM lParam, bool& handled) {
  handled = false;  // the system's default handling frees the input
  keeper_.OnRawInput(lParam);
  return 0;
}

LRESULT MainWindow::OnDeviceChange(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  keeper_.OnDeviceChange(wParam, lParam);
  return TRUE;
}

LRESULT MainWindow::OnPresenceChanged(UINT, WPARAM, LPARAM, bool&) {
  tray_.SetKeyboardPresent(session_.keyboardPresent());
  LookAtFace();
  return 0;
}

LRESULT MainWindow::OnCopyData(UINT, WPARAM, LPARAM lParam, bool& handled) {
  return AnswerTestCommand({hwnd(), session_, follower_, tray_, notice_},
                           reinterpret_cast<const COPYDATASTRUCT*>(lParam), handled);
}

// --- painting ---------------------------------------------------------------------------------

LRESULT MainWindow::OnEraseBackground(UINT, WPARAM, LPARAM, bool&) {
  return TRUE;  // the face paints every pixel, background included, in one copy
}

LRESULT MainWindow::OnPaint(UINT, WPARAM, LPARAM, bool&) {
  if (IsIconic(hwnd())) {
    PaintMinimised(hwnd(), icon_);
    return 0;
  }
  const PaintDc dc(hwnd());
  face_.Paint(dc.get(), skin_, table_, profiles_, session_.keyboardPresent());
  return 0;
}

LRESULT MainWindow::OnQueryDragIcon(UINT, WPARAM, LPARAM, bool&) { return reinterpret_cast<LRESULT>(icon_); }

void MainWindow::RepaintMainWindow() { face_.Changed(); }

// --- mouse --------------------------------------------------------------------------------------

LRESULT MainWindow::OnNcMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
  TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE | TME_NONCLIENT, hwnd(), 10};
  TrackMouseEvent(&track);
  handled = false;
  return 0;
}

LRESULT MainWindow::OnNcMouseHover(POINT point, bool&) {
  ScreenToClient(hwnd(), &point);
  point = skin_.ToLayout(point);
  const std::optional<std::wstring> tipText = face_.OnHover(table_, profiles_.working, point);
  // A tip stands at its key: away from a key slot it goes.
  const int hovered = face_.hovered();
  const bool onKey = hovered >= 1 && hovered <= kEditableSlotCount;
  tooltip_.Show(onKey ? tipText.value_or(std::wstring()) : std::wstring(), onKey ? skin_.ToWindow(table_.HitRect(hovered)) : Rect{});
  return 0;
}

LRESULT MainWindow::OnNcLeftButtonDown(POINT point, bool& handled) {
  tooltip_.Hide();  // a dialog or menu may open where it stands
  ScreenToClient(hwnd(), &point);
  point = skin_.ToLayout(point);
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
      ShowPopupMenu(instance_, hwnd(), IDR_BUTTON_MENU, profiles_, session_.activeProfile(), session_.paused());
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

void MainWindow::OnAbout() {
  AboutBox about;
  about.DoModal(instance_, IDD_ABOUTBOX, hwnd());
}

void MainWindow::OnExport() {
  ExportProfile(saver_.files(), DecodeAnsi, table_, profiles_, *this);
}

void MainWindow::OnImport() {
  if (ImportProfile(saver_.files(), DecodeAnsi, table_, profiles_, *this, ExpandEnvironment)) ProfilesChanged();
}

// --- the tray and the menus ---------------------------------------------------------------------

void MainWindow::OnTapTime(int id) {
  const int ms = id - ID_TAP_TIME_BASE;
  if (ms != profiles_.tapMs) {
    profiles_.tapMs = ms;
    ProfilesChanged();
  }
}

LRESULT MainWindow::OnTrayCallback(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  const TrayResponse response = DecideTrayCallback(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
  switch (response.action) {
    case TrayAction::ShowWindow:
      ShowWindow(hwnd(), SW_RESTORE);
      SetForegroundWindow(hwnd());
      break;
    case TrayAction::TrayMenu:
      follower_.TrayMenuOpen(true);
      ShowPopupMenu(instance_, hwnd(), IDR_POPUP_MENU, profiles_, session_.activeProfile(), session_.paused());
      follower_.TrayMenuOpen(false);
      break;
    case TrayAction::None:
      break;
  }
  return response.result;
}

void MainWindow::OnOpen() {
  // Also what a second start of the program asks for: the window comes back from the tray or
  // the taskbar, in front.
  ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
}

void MainWindow::OnProfileCommand(int id) {
  // Exactly what the profile buttons do: the same question over unapplied edits, the same save.
  const int profile = id - ID_PROFILE_1_COMMAND + 1;
  SwitchProfile(profiles_, profile, *this);
  // Chosen over a game in front (from the tray), the profile holds until another window comes.
  if (profiles_.activeProfile == profile) follower_.HomeChosenByHand();
  ProfilesChanged();
}

void MainWindow::OnAutostart() {
  if (!ToggleStartWithWindows(profiles_.runAsAdmin)) Tell(Text(TextId::AutostartFailed), MessageKind::Error);
}

void MainWindow::OnPrograms() {
  ProgramsDialogWindow dialog(profiles_.bindings);
  if (dialog.DoModal(instance_, IDD_PROGRAMS, hwnd()) != IDOK || dialog.bindings() == profiles_.bindings) return;
  profiles_.bindings = dialog.bindings();
  ScheduleSave();
  follower_.BindingsChanged();
}

LRESULT MainWindow::OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  tooltip_.Hide();
  skin_.FollowDpi(hwnd(), HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
  OnTraySizeMayChange(message, wParam, lParam, handled);
  handled = true;  // sized after the pictures: the dialog's own scaling would undo it
  return 0;
}

LRESULT MainWindow::OnShownOrSized(UINT, WPARAM, LPARAM, bool& handled) {
  PostMessageW(hwnd(), kFollowMessage, 0, 0);
  handled = false;  // the dialog's own handling goes on
  return 0;
}

}  // namespace orvelle

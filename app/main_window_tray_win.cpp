// The main window's life in the tray: its icon and menus, the profile that follows the program
// in front, starting with Windows, the program bindings.
#include <chrono>

#include "app/autostart_win.h"
#include "app/programs_editor_win.h"
#include "app/main_window_win.h"
#include "platform/win32/executable_win.h"

namespace orvelle {

// --- tray icon and menus ------------------------------------------------------------------------

void MainWindow::ShowPopupMenu(int menuId) {
  POINT cursor{};
  GetCursorPos(&cursor);
  const UniqueMenu menu(LoadMenuW(instance_, MAKEINTRESOURCEW(menuId)));
  if (!menu) return;
  if (menuId == IDR_BUTTON_MENU) AddTapTimeMenu(GetSubMenu(menu.get(), 0));
  if (menuId == IDR_POPUP_MENU) MarkTrayMenu(GetSubMenu(menu.get(), 0));
  SetForegroundWindow(hwnd());
  TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd(), nullptr);
}

void MainWindow::AddTapTimeMenu(HMENU buttonMenu) {
  UniqueMenu times(CreatePopupMenu());
  if (!times) return;
  for (const TapTimeChoice& choice : TapTimeChoices(profiles_.tapMs)) {
    const UINT id = ID_TAP_TIME_BASE + static_cast<UINT>(choice.ms);
    AppendMenuW(times.get(), MF_STRING, id, choice.label.c_str());
    if (choice.checked) CheckMenuRadioItem(times.get(), id, id, id, MF_BYCOMMAND);
  }
  // After "экспорт"; the menu owns the submenu from here on.
  if (InsertMenuW(buttonMenu, 2, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(times.get()),
                  kTapTimeMenuLabel)) {
    times.release();
  }
}

LRESULT MainWindow::OnTapTime(WORD, WORD id, HWND, bool&) {
  const int ms = id - ID_TAP_TIME_BASE;
  if (ms != profiles_.tapMs) {
    profiles_.tapMs = ms;
    ProfilesChanged();
  }
  return 0;
}

LRESULT MainWindow::OnTaskbarCreated(UINT, WPARAM, LPARAM, bool&) {
  tray_.Restore();
  return 0;
}

LRESULT MainWindow::OnTrayCallback(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  const TrayResponse response = DecideTrayCallback(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
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

LRESULT MainWindow::OnOpen(WORD, WORD, HWND, bool&) {
  // Also what a second start of the program asks for: the window comes back from the tray or
  // the taskbar, in front.
  ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  return 0;
}

void MainWindow::MarkTrayMenu(HMENU trayMenu) {
  const UINT home = ID_PROFILE_1_COMMAND + static_cast<UINT>(profiles_.activeProfile - 1);
  CheckMenuRadioItem(trayMenu, ID_PROFILE_1_COMMAND, ID_PROFILE_3_COMMAND, home, MF_BYCOMMAND);
  CheckMenuItem(trayMenu, ID_AUTOSTART_COMMAND,
                MF_BYCOMMAND | (StartsWithWindows(ExecutablePath()) ? MF_CHECKED : MF_UNCHECKED));
}

LRESULT MainWindow::OnProfileCommand(WORD, WORD id, HWND, bool&) {
  // Exactly what the profile buttons do: the same question over unapplied edits, the same save.
  SwitchProfile(profiles_, id - ID_PROFILE_1_COMMAND + 1, *this);
  ProfilesChanged();
  return 0;
}

LRESULT MainWindow::OnAutostart(WORD, WORD, HWND, bool&) {
  const std::wstring executable = ExecutablePath();
  if (!executable.empty() && !SetStartWithWindows(executable, !StartsWithWindows(executable))) {
    Tell(kAutostartFailed);
  }
  return 0;
}

LRESULT MainWindow::OnPrograms(WORD, WORD, HWND, bool&) {
  ProgramsDialogWindow dialog(profiles_.bindings);
  if (dialog.DoModal(instance_, IDD_PROGRAMS, hwnd()) != IDOK || dialog.bindings() == profiles_.bindings) return 0;
  profiles_.bindings = dialog.bindings();
  if (foreground_) foreground_->SetPolling(!profiles_.bindings.empty());
  ScheduleSave();
  FollowForeground();
  return 0;
}

// --- the profile that follows the program in front ----------------------------------------------

bool MainWindow::MainWindowShown() const { return IsWindowVisible(hwnd()) && !IsIconic(hwnd()); }

void MainWindow::OnForegroundChanged(HWND window) {
  foregroundPath_ = ProgramPathOf(window);
  FollowForeground();
}

LRESULT MainWindow::OnShownOrSized(UINT, WPARAM, LPARAM, bool& handled) {
  PostMessageW(hwnd(), kFollowMessage, 0, 0);
  handled = false;  // the dialog's own handling goes on
  return 0;
}

LRESULT MainWindow::OnFollow(UINT, WPARAM, LPARAM, bool&) {
  FollowForeground();
  return 0;
}

void MainWindow::FollowForeground() {
  const FollowedProfile now = ProfileToFollow(profiles_.activeProfile, profiles_.bindings, foregroundPath_,
                                              MainWindowShown());
  session_.SetActiveProfile(now.profile);
  if (now == followed_) return;
  followed_ = now;
#ifdef ORVELLE_E2E
  followedAtUs_ = static_cast<unsigned long long>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
#endif
  const UniqueIcon& icon = trayIcons_[static_cast<size_t>(now.profile - 1)];
  tray_.Refresh(icon ? icon.get() : icon_);
  tray_.SetTip(TrayTip(now));
}

}  // namespace orvelle

#include "app/tray_presenter_win.h"

#include "app/autostart_win.h"
#include "platform/win32/executable_win.h"
#include "resources/resource.h"

namespace orvelle {

void TrayPresenter::Add(HINSTANCE instance, HWND window, HICON plainIcon) {
  plainIcon_ = plainIcon;
  tray_.Add(window, plainIcon, L"ORVELLE");
  for (int n = 1; n <= 3; ++n) badged_[static_cast<size_t>(n - 1)] = BadgedTrayIcon(instance, IDI_APP, n);
}

void TrayPresenter::ShowProfile(int profile) {
  const UniqueIcon& icon = badged_[static_cast<size_t>(profile - 1)];
  tray_.Refresh(icon ? icon.get() : plainIcon_);
}

void TrayPresenter::Show(const FollowedProfile& followed) {
  ShowProfile(followed.profile);
  tray_.SetTip(TrayTip(followed));
}

void TrayPresenter::MarkMenu(HMENU trayMenu, int homeProfile) {
  const UINT home = ID_PROFILE_1_COMMAND + static_cast<UINT>(homeProfile - 1);
  CheckMenuRadioItem(trayMenu, ID_PROFILE_1_COMMAND, ID_PROFILE_3_COMMAND, home, MF_BYCOMMAND);
  CheckMenuItem(trayMenu, ID_AUTOSTART_COMMAND,
                MF_BYCOMMAND | (StartsWithWindows(ExecutablePath()) ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace orvelle

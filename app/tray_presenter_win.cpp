#include "app/tray_presenter_win.h"

#include <utility>

#include "app/autostart_win.h"
#include "platform/win32/executable_win.h"
#include "resources/resource.h"

namespace orvelle {

void TrayPresenter::Add(HINSTANCE instance, HWND window, HICON plainIcon) {
  instance_ = instance;
  window_ = window;
  plainIcon_ = plainIcon;
  MakeIcons();
  if (tray_.Add(window, plainIcon, L"ORVELLE")) {
    Added();
  } else {
    AddFailed();
  }
}

void TrayPresenter::MakeIcons() {
  iconSize_ = RealTrayIconSize();
  for (int n = 1; n <= 3; ++n) {
    badged_[static_cast<size_t>(n - 1)] = BadgedTrayIcon(instance_, IDI_APP, n, TrayMode::Remapping, iconSize_);
  }
  unplugged_ = BadgedTrayIcon(instance_, IDI_APP, 0, TrayMode::KeyboardMissing, iconSize_);
  pausedIcon_ = BadgedTrayIcon(instance_, IDI_APP, 0, TrayMode::Paused, iconSize_);
}

void TrayPresenter::Refresh() {
  const int profile = followed_.profile;
  if (profile < 1 || profile > 3) return;
  const TrayMode now = mode();
  const UniqueIcon& icon = now == TrayMode::KeyboardMissing ? unplugged_
                           : now == TrayMode::Paused        ? pausedIcon_
                                                            : badged_[static_cast<size_t>(profile - 1)];
  tray_.Refresh(icon ? icon.get() : plainIcon_);
  tray_.SetTip(TrayTip(followed_, now));
}

void TrayPresenter::Show(const FollowedProfile& followed) {
  followed_ = followed;
  Refresh();
  if (listener_ != nullptr) listener_->KeysStateChanged(followed_, paused_);
}

void TrayPresenter::SetKeyboardPresent(bool present) {
  if (present == keyboardPresent_) return;
  keyboardPresent_ = present;
  Refresh();
}

void TrayPresenter::SetPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  Refresh();
  if (listener_ != nullptr) listener_->KeysStateChanged(followed_, paused_);
}

void TrayPresenter::Restore() {
  if (window_ == nullptr) return;
  // A new shell may come with another DPI: draw first, then add.
  SizeMayHaveChanged();
  KillTimer(window_, kAddRetryTimer);
  failures_ = 0;
  if (tray_.Restore()) {
    Added();
  } else {
    AddFailed();
  }
}

void TrayPresenter::OnAddRetryTimer() {
  KillTimer(window_, kAddRetryTimer);
  if (tray_.Restore()) {
    Added();
  } else {
    AddFailed();
  }
}

void TrayPresenter::Added() {
  failures_ = 0;
  if (balloon_) ShowBalloon(*std::exchange(balloon_, std::nullopt));
}

void TrayPresenter::AddFailed() {
  // At a slow logon the shell may be there and too busy to answer, and then it never announces
  // itself with TaskbarCreated: ask again, less and less often, for about a minute.
  const UINT wait = TrayAddRetryMs(++failures_);
  if (wait != 0) SetTimer(window_, kAddRetryTimer, wait, nullptr);
}

void TrayPresenter::SizeMayHaveChanged() {
  if (instance_ == nullptr || RealTrayIconSize() == iconSize_) return;
  MakeIcons();
  Refresh();
}

void TrayPresenter::ShowBalloon(TrayBalloon balloon) {
  if (!tray_.added()) {
    balloon_ = std::move(balloon);
    return;
  }
  balloonShown_ = tray_.ShowBalloon(balloon.title, balloon.text) || balloonShown_;
}

void TrayPresenter::Remove() {
  if (window_ != nullptr) KillTimer(window_, kAddRetryTimer);
  balloon_.reset();
  tray_.Remove();
}

void TrayPresenter::MarkMenu(HMENU trayMenu, int activeProfile, bool paused) {
  const UINT active = ID_PROFILE_1_COMMAND + static_cast<UINT>(activeProfile - 1);
  CheckMenuRadioItem(trayMenu, ID_PROFILE_1_COMMAND, ID_PROFILE_3_COMMAND, active, MF_BYCOMMAND);
  CheckMenuItem(trayMenu, ID_PAUSE_COMMAND, MF_BYCOMMAND | (paused ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(trayMenu, ID_AUTOSTART_COMMAND,
                MF_BYCOMMAND | (StartsWithWindows(ExecutablePath()) ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app/profile_follower.h"
#include "app/tray_icon.h"
#include "app/tray_icon_win.h"
#include "platform/win32/handles.h"

namespace orvelle {

// What the tray shows of the keys: the icon with the number of the profile they follow, the tip
// naming it and the program that chose it, and the marks of the tray menu.
class TrayPresenter {
 public:
  TrayPresenter() = default;
  TrayPresenter(const TrayPresenter&) = delete;
  TrayPresenter& operator=(const TrayPresenter&) = delete;

  // The plain icon in the tray; `plainIcon` stands in for a badged icon that could not be made.
  void Add(HINSTANCE instance, HWND window, HICON plainIcon);
  // The icon of the profile drawn again (the keyboard came or went, another profile is active).
  void ShowProfile(int profile);
  // The icon and the tip of the profile the keys follow now.
  void Show(const FollowedProfile& followed);
  // The shell restarted and forgot the icon.
  void Restore() { tray_.Restore(); }
  void Remove() { tray_.Remove(); }
  // The tray menu's profile item of the home profile and its autostart item as they are now.
  static void MarkMenu(HMENU trayMenu, int homeProfile);
  std::wstring tip() const { return tray_.tip(); }

 private:
  TrayIcon tray_;
  HICON plainIcon_ = nullptr;  // shared resource icon, never destroyed
  std::array<UniqueIcon, 3> badged_;  // the icon with the number of profile 1, 2, 3
};

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "platform/win32/handles.h"

namespace orvelle {

// The program's icon in the notification area, owned: added with the main window, added again
// when the shell restarts, gone with this object. Clicks come back to the window as the tray
// callback message.
class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void Add(HWND window, HICON icon, const std::wstring& tip);
  // The icon drawn again (the keyboard came or went, another profile is active).
  void Refresh(HICON icon);
  void SetTip(const std::wstring& tip);
  std::wstring tip() const { return data_.szTip; }
  // The shell restarted and forgot the icon; without it a hidden window could not come back.
  void Restore();
  void Remove();

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

// The program's icon at the tray's size with a profile's number on it; the plain icon when the
// picture cannot be read.
UniqueIcon BadgedTrayIcon(HINSTANCE instance, int iconId, int profile);

}  // namespace orvelle

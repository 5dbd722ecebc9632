#pragma once

#include <windows.h>

#include <shellapi.h>

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

  void Add(HWND window, HICON icon);
  // The icon drawn again (the keyboard came or went).
  void Refresh(HICON icon);
  // The shell restarted and forgot the icon; without it a hidden window could not come back.
  void Restore();
  void Remove();

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

}  // namespace orvelle

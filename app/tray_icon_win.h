#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "app/tray_icon.h"
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

  // False when the shell refused the icon (it may be busy at logon): Restore tries again.
  bool Add(HWND window, HICON icon, const std::wstring& tip);
  // The icon drawn again (the keyboard came or went, another profile is active); kept for the
  // next Restore while the icon is not in the tray.
  void Refresh(HICON icon);
  void SetTip(const std::wstring& tip);
  std::wstring tip() const { return data_.szTip; }
  // Adds the icon again: the shell restarted and forgot it, or refused it before. Without it a
  // hidden window could not come back. False while the shell still refuses.
  bool Restore();
  void Remove();
  bool added() const { return added_; }
  // A balloon over the icon, once; false when the icon is not in the tray.
  bool ShowBalloon(const std::wstring& title, const std::wstring& text);

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

// The program's icon at the tray's size with a profile's number on it, or the look of `mode`
// (TrayIconPicture); the plain icon when the picture cannot be read.
UniqueIcon BadgedTrayIcon(HINSTANCE instance, int iconId, int profile, TrayMode mode, int size);

// The side of the tray's icons in real pixels. The program is not DPI aware, so the system would
// report 16 at any DPI and stretch the icon; the system DPI is read with this thread made aware of
// it for the moment, where the system has the calls (Windows 10 1607 on).
int RealTrayIconSize();

// The system's build number as the system itself reports it (not as told to an old program).
unsigned WindowsBuild();

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "app/profile_follower.h"
#include "app/profile_notice.h"
#include "app/tray_icon.h"
#include "app/tray_icon_win.h"
#include "platform/win32/handles.h"

namespace orvelle {

// What the tray shows of the keys: the icon with the number of the profile they follow, drawn at
// the tray's real size, the tip naming it and the program that chose it, the marks of the tray
// menu and the one balloon of the first start. Keeps asking the shell for its place while the
// shell refuses it at a slow logon.
class TrayPresenter {
 public:
  // The main window's timer that adds the icon again after a refusal.
  static constexpr UINT_PTR kAddRetryTimer = 3;

  TrayPresenter() = default;
  TrayPresenter(const TrayPresenter&) = delete;
  TrayPresenter& operator=(const TrayPresenter&) = delete;

  // The plain icon in the tray; `plainIcon` stands in for a badged icon that could not be made.
  void Add(HINSTANCE instance, HWND window, HICON plainIcon);
  // Told of every change of the profile followed and of the pause, whatever made it.
  void TellChangesTo(KeysStateListener& listener) { listener_ = &listener; }
  // The icon and the tip of the profile the keys follow now.
  void Show(const FollowedProfile& followed);
  // The keyboard came or went: without it the icon is greyed and the tip says so.
  void SetKeyboardPresent(bool present);
  // Remapping paused or on again: while paused the icon shows the pause sign and the tip says so.
  void SetPaused(bool paused);
  // The shell restarted and forgot the icon; its size may have changed with it.
  void Restore();
  // The retry timer went off: the shell is asked again.
  void OnAddRetryTimer();
  // The DPI or the taskbar's settings may have changed: the icons are drawn again at the new size.
  void SizeMayHaveChanged();
  // The interface switched language: the tip is said again in the new one.
  void LanguageChanged() { Refresh(); }
  // Shown once the icon is in the tray (at once when it is).
  void ShowBalloon(TrayBalloon balloon);
  void Remove();
  // The tray menu's item of the profile the keys follow, its pause and autostart items as they are
  // now.
  static void MarkMenu(HMENU trayMenu, int activeProfile, bool paused);
  std::wstring tip() const { return tray_.tip(); }
  // Whether the icon shown is the one without the keyboard.
  bool showsUnplugged() const { return mode() == TrayMode::KeyboardMissing && followed_.profile != 0; }
  TrayMode mode() const { return TrayModeOf(keyboardPresent_, paused_); }
  int iconSize() const { return iconSize_; }
  bool added() const { return tray_.added(); }
  bool balloonShown() const { return balloonShown_; }

 private:
  void MakeIcons();
  // The icon and the tip as the profile and the keyboard are now.
  void Refresh();
  void Added();
  void AddFailed();

  TrayIcon tray_;
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HICON plainIcon_ = nullptr;  // shared resource icon, never destroyed
  int iconSize_ = 0;
  FollowedProfile followed_{0, {}};  // the number on the icon; 0 before the first
  bool keyboardPresent_ = true;
  bool paused_ = false;
  KeysStateListener* listener_ = nullptr;
  int failures_ = 0;  // refusals of the shell in a row
  std::optional<TrayBalloon> balloon_;  // waits for the icon
  bool balloonShown_ = false;
  std::array<UniqueIcon, 3> badged_;  // the icon with the number of profile 1, 2, 3
  UniqueIcon unplugged_;  // the icon without the keyboard
  UniqueIcon pausedIcon_;  // the icon while remapping is paused
};

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <string>

#include "app/profile_notice.h"
#include "app/tray_icon.h"
#include "model/profile_set.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The on-screen notice of the profile the keys follow and of the pause, for a user who cannot see
// the main window (in a game, say): a small topmost window near the bottom of the monitor in
// front that says it for about a second. It never takes the focus or the mouse: the game keeps
// both. While nothing shows it holds no timer; the window itself is made at the first notice.
class ProfileNotice final : public KeysStateListener {
 public:
  static constexpr const wchar_t* kClassName = L"ORVELLE.ProfileNotice";

  ProfileNotice() = default;
  ~ProfileNotice();
  ProfileNotice(const ProfileNotice&) = delete;
  ProfileNotice& operator=(const ProfileNotice&) = delete;

  // `mainWindow` is the one whose showing makes the notice needless; `profiles` holds the setting.
  void Attach(HINSTANCE instance, HWND mainWindow, const ProfileSet& profiles);
  // Told by the tray at every change of the profile followed or of the pause.
  void KeysStateChanged(const FollowedProfile& followed, bool paused) override;
  // Gone at once, its timer with it (the setting turned off, the end).
  void Hide();
  bool shown() const { return shown_; }
  // When the notice last came on the screen, last changed its text and last left the screen, in
  // Unix microseconds (0: never): a test reads how long it stayed from these.
  unsigned long long appearedAtUs() const { return appearedAtUs_; }
  unsigned long long changedAtUs() const { return changedAtUs_; }
  unsigned long long hiddenAtUs() const { return hiddenAtUs_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  bool MakeWindow();
  void Show(const FollowedProfile& followed, bool paused);
  void Paint(HDC dc) const;
  // The font for a monitor at `dpi`, made again when the DPI changed; lengths at 96 DPI scaled to it.
  void FitDpi(UINT dpi);
  int Scaled(int pixels) const;

  HINSTANCE instance_ = nullptr;
  HWND mainWindow_ = nullptr;
  const ProfileSet* profiles_ = nullptr;
  FollowedProfile followed_{0, {}};  // the keys' state last told; 0 before the first
  bool paused_ = false;
  bool shown_ = false;
  unsigned long long appearedAtUs_ = 0, changedAtUs_ = 0, hiddenAtUs_ = 0;
  std::wstring text_;
  UniqueIcon badge_;  // the tray's icon of what the notice says
  int badgeSize_ = 0;
  UniqueFont font_;
  UINT dpi_ = 96;  // of the monitor the notice shows on
  UniqueWindow window_;  // last, so that it goes first
};

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/main_skin_win.h"
#include "app/window_face.h"
#include "base/file_store.h"
#include "model/profile_set.h"

namespace orvelle {

// Keeps the main window's face true: it knows what the face depends on beyond the profiles (the
// entry under the pointer, the lock states, the keyboard's presence), asks for a repaint whenever
// any of it changes, and paints the whole face from the state at WM_PAINT.
class MainFace {
 public:
  // The main window's timer that looks at the lock states and the keyboard while it is shown.
  static constexpr UINT_PTR kWatchTimer = 4;

  // Reads where the indicators lie from the layout file; the window paints from now on.
  void Attach(HWND window, FileStore& files, LegacyDecoder legacy, const std::wstring& layoutPath);

  // Something the face shows changed (profiles, edits, a switch): the window is painted again.
  void Changed() const;

  // The pointer rests at `client` (a hover notice) or left the window: the tip's new text when
  // it has one.
  std::optional<std::wstring> OnHover(const KeyTable& table, const ProfileData& working, POINT client);
  void OnLeave();
  // A key of the keyboard went down or up (the live view, while the window is shown), or every
  // key counts as up again (the window was hidden: no release would reach it).
  void SetPressed(int code, bool down);
  void ReleaseAll();
  // The entry under the pointer, or kNoEntry.
  int hovered() const { return hover_.hovered; }

  // Watches the lock states and the keyboard only while the window is shown: nothing else sees them.
  void Watch(bool shown, bool keyboardPresent);
  // The lock states or the keyboard may have changed (the watch timer, raw keyboard input).
  void Look(bool keyboardPresent);

  // The face as the state is now, onto the paint DC.
  void Paint(HDC target, const MainSkin& skin, const KeyTable& table, const ProfileSet& profiles, bool keyboardPresent);

 private:
  HWND window_ = nullptr;
  FaceLayout layout_;
  HoverState hover_;
  LockStates locks_;
  std::bitset<256> pressed_;
  bool keyboardPresent_ = true;
  bool watching_ = false;
};

}  // namespace orvelle

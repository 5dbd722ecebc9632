#pragma once

#include <windows.h>

#include <memory>

#include "app/remap_keeper.h"
#include "app/session_notices_win.h"
#include "engine/remap_session_win.h"
#include "platform/win32/handles.h"

namespace orvelle {

// Keeps the remapping session's hook in place and its keyboard known for as long as the main
// window lives: raw input shows a hook the system dropped, a timer looks again after a grace
// period, a wake-up or an unlock puts the hook back (a long message handler of the window's no
// longer matters: the hook runs on a thread of its own), device notices say
// whether the keyboard is there. When the user leaves the desktop (a lock, the secure desktop,
// sleep) and comes back, nothing keeps playing. Owns the session.
class RemapKeeper : private DesktopSwitchListener {
 public:
  // The main window's timer that looks at the hook again.
  static constexpr UINT_PTR kHookWatchTimer = 2;
  // Posted to the main window when the keyboard came or went, however that was noticed.
  static constexpr UINT kPresenceChangedMessage = WM_APP + 11;

  RemapKeeper(HINSTANCE instance, FrontHook& front) : session_(instance, front) {}
  RemapKeeper(const RemapKeeper&) = delete;
  RemapKeeper& operator=(const RemapKeeper&) = delete;

  RemapSession& session() { return session_; }

  // The notices and raw input come to `window` from now on.
  void Attach(HWND window);
  // No more notices: the window is going.
  void Detach();
  // Shutting down: the hook is not put back any more.
  void Close() { closing_ = true; }
  bool closing() const { return closing_; }

  void CheckKeyboardPresence();
  void OnRawInput(LPARAM input);
  void OnWatchTimer();
  void OnDeviceChange(WPARAM event, LPARAM data);
  void OnPowerBroadcast(WPARAM event);
  void OnSessionChange(WPARAM event);

 private:
  void OnDesktopSwitch(bool inputDesktopOurs) override;
  // Acts on where the user went: left, everything let go of; back, the same, and the hook and
  // the keyboard looked at again.
  void FollowDesktopMove(DesktopMove move);
  // The session told whether the keyboard is there; the window hears when that changed.
  void SetKeyboardPresent(bool present);
  // The remap hook out and in again (while the program is not closing).
  void ReinstallRemapHook();
  // Acts on what the watch on the remap hook says: lost, back in; waiting, look again soon.
  void FollowHookWatch(RemapHook::WatchState state);

  HWND window_ = nullptr;
  bool closing_ = false;
  UniqueDeviceNotify deviceNotices_;
  std::unique_ptr<SessionNotices> sessionNotices_;
  // Last, so that it goes first: the hooks out and every key released before anything it reads.
  RemapSession session_;
};

}  // namespace orvelle

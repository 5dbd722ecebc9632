#include "app/remap_keeper_win.h"

#include <wtsapi32.h>  // the session notice codes; the functions come from SessionNotices

#include "device/hid_win.h"
#include "engine/hook_watch.h"

namespace orvelle {

static_assert(kConsoleConnect == WTS_CONSOLE_CONNECT && kConsoleDisconnect == WTS_CONSOLE_DISCONNECT &&
              kRemoteConnect == WTS_REMOTE_CONNECT && kRemoteDisconnect == WTS_REMOTE_DISCONNECT &&
              kSessionLock == WTS_SESSION_LOCK && kSessionUnlock == WTS_SESSION_UNLOCK);
static_assert(kPowerSuspend == PBT_APMSUSPEND && kPowerResumeSuspend == PBT_APMRESUMESUSPEND &&
              kPowerResumeAutomatic == PBT_APMRESUMEAUTOMATIC);

void RemapKeeper::Attach(HWND window) {
  window_ = window;
  DesktopSwitchListener& listener = *this;
  sessionNotices_ = std::make_unique<SessionNotices>(window, listener);
  deviceNotices_ = RegisterDeviceNotices(window);
  // Raw input reports every key event of the desktop after the hooks saw it, also while the
  // window is hidden: how the program notices that the system dropped the remap hook.
  const RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, window};
  RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
}

void RemapKeeper::Detach() {
  sessionNotices_.reset();
  deviceNotices_.reset();
  const RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_REMOVE, nullptr};
  RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
}

void RemapKeeper::CheckKeyboardPresence() { SetKeyboardPresent(IsKeyboardPresent(window_)); }

void RemapKeeper::SetKeyboardPresent(bool present) {
  const bool before = session_.keyboardPresent();
  session_.SetKeyboardPresent(present);
  if (session_.keyboardPresent() != before) PostMessageW(window_, kPresenceChangedMessage, 0, 0);
}

void RemapKeeper::ReinstallRemapHook() {
  if (!closing_) session_.ReinstallHook();
}

void RemapKeeper::OnRawInput(LPARAM input) { FollowHookWatch(session_.OnRawInput(reinterpret_cast<HRAWINPUT>(input))); }

void RemapKeeper::OnWatchTimer() {
  KillTimer(window_, kHookWatchTimer);
  FollowHookWatch(session_.CheckHook());
}

void RemapKeeper::FollowHookWatch(RemapHook::WatchState state) {
  switch (state) {
    case RemapHook::WatchState::Lost:
      KillTimer(window_, kHookWatchTimer);
      ReinstallRemapHook();
      break;
    case RemapHook::WatchState::Waiting:
      SetTimer(window_, kHookWatchTimer, kHookGraceMs + 20, nullptr);
      break;
    case RemapHook::WatchState::Alive:
      break;
  }
}

void RemapKeeper::OnDeviceChange(WPARAM event, LPARAM data) {
  const PresenceChange change = ReadDeviceNotice(event, data);
  if (change == PresenceChange::None) return;
  // The keyboard has several interfaces, and the same vendor may make the mouse: one interface
  // leaving ends remapping only when none of the vendor's is left.
  SetKeyboardPresent(change == PresenceChange::Arrived || IsKeyboardPresent(window_));
}

void RemapKeeper::OnPowerBroadcast(WPARAM event) {
  FollowDesktopMove(DesktopMoveFor({DesktopNotice::Kind::Power, static_cast<uint32_t>(event)}));
}

void RemapKeeper::OnSessionChange(WPARAM event) {
  FollowDesktopMove(DesktopMoveFor({DesktopNotice::Kind::SessionChange, static_cast<uint32_t>(event)}));
}

void RemapKeeper::OnDesktopSwitch(bool inputDesktopOurs) {
  FollowDesktopMove(DesktopMoveFor({DesktopNotice::Kind::DesktopSwitch, 0, inputDesktopOurs}));
}

void RemapKeeper::FollowDesktopMove(DesktopMove move) {
  if (move == DesktopMove::Stay) return;
  // The hook sees no key on the other side: a key held there and let go of unseen would keep
  // playing, and its release, when it comes, must not start anything either.
  session_.LetGoOfEverything();
  if (move != DesktopMove::Return) return;
  // Devices may have come or gone meanwhile without a notice, and the system may have dropped
  // the hook.
  CheckKeyboardPresence();
  ReinstallRemapHook();
}

}  // namespace orvelle

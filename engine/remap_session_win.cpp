#include "engine/remap_session_win.h"

#include "engine/injected_key.h"

namespace orvelle {

RemapSession::RemapSession(HINSTANCE instance, FrontHook& front)
    : front_(front),
      worker_(queue_),
      hook_(instance, activeProfile_, actions_, keyboardPresent_, ownWindowInFront_, front_, queue_, worker_) {
  // Hidden in the tray the program would count as a background process, whose pace the system
  // may slow down on battery: the worker's timing and the hook's answers with it.
  PROCESS_POWER_THROTTLING_STATE throttling{};
  throttling.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
  throttling.ControlMask = PROCESS_POWER_THROTTLING_EXECUTION_SPEED;
  throttling.StateMask = 0;
  SetProcessInformation(GetCurrentProcess(), ProcessPowerThrottling, &throttling, sizeof throttling);
  FrontHookListener& listener = *this;
  front_.HostOn(&thread_, &listener);
}

RemapSession::~RemapSession() {
  Stop();
  front_.HostOn(nullptr, nullptr);
}

void RemapSession::UseProfiles(const ProfileSet& profiles, const KeyTable& table) {
  std::array<KeyActions, 3> compiled;
  for (int n = 1; n <= 3; ++n) {
    compiled[static_cast<size_t>(n - 1)] = CompileActions(profiles.Profile(n), table, profiles.tapMs);
  }
  // Swapped in on the hook's thread; the old actions are freed here, away from it.
  thread_.Call([&] { std::swap(actions_, compiled); });
}

void RemapSession::SetActiveProfile(int profile) {
  if (profile == activeProfile_ || !IsProfileNumber(profile)) return;
  // Between two key events: what the keys started before goes, a key pressed after it is the
  // new profile's.
  thread_.Call([&] {
    activeProfile_ = profile;
    worker_.Flush();
  });
}

void RemapSession::SetOwnWindowInFront(bool ours) {
  thread_.Call([&] {
    if (ownWindowInFront_.load(std::memory_order_relaxed) == ours) return;
    ownWindowInFront_.store(ours, std::memory_order_relaxed);
    // The keys held now were pressed for another program: the releases the hook swallowed the
    // presses of start nothing in our window, and what they started stops now. Presses that
    // passed keep passing to the end.
    if (ours) hook_.Forget();
  });
}

void RemapSession::SetKeyboardPresent(bool present) {
  thread_.Call([&] {
    keyboardPresent_ = present;
    if (!present) {
      hook_.Remove();
      return;
    }
    if (hook_.installed()) return;
    hook_.Install();
    // The newest hook is called first: a recording in progress keeps the keys.
    if (front_.installed()) front_.PutFirst();
  });
}

void RemapSession::ReinstallHook() {
  thread_.Call([&] {
    if (!keyboardPresent_) return;
    hook_.Reinstall();
    if (front_.installed()) front_.PutFirst();
  });
}

void RemapSession::LetGoOfEverything() {
  thread_.Call([&] { hook_.Forget(); });
}

void RemapSession::RemoveHook() {
  thread_.Call([&] { hook_.Remove(); });
}

void RemapSession::Stop() {
  RemoveHook();
  worker_.Stop();
}

RemapHook::WatchState RemapSession::OnRawInput(HRAWINPUT input) {
  RAWINPUT raw{};
  UINT size = sizeof raw;
  if (GetRawInputData(input, RID_INPUT, &raw, &size, sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1) ||
      raw.header.dwType != RIM_TYPEKEYBOARD) {
    return RemapHook::WatchState::Alive;
  }
  const RAWKEYBOARD& key = raw.data.keyboard;
  // Raw input also reports what no hook is ever shown: the fake key 255 some keys send around
  // themselves and the E1 prefix of Pause. The characters our text keys type reach the hook and
  // raw input unlike keys, and unlike each other from host to host (as the packet key or as no
  // key, a release flagged as one or not): only keys are watched.
  const bool typedByUs = key.ExtraInformation == kInjectionTag && (key.VKey == VK_PACKET || key.VKey == 0);
  if (key.VKey == 0xFF || typedByUs || (key.Flags & RI_KEY_E1) != 0) return RemapHook::WatchState::Alive;
  const auto messageTime = static_cast<uint32_t>(GetMessageTime());
  RemapHook::WatchState state = RemapHook::WatchState::Alive;
  thread_.Call([&] {
    if (Watching()) state = hook_.OnRawEvent(key.MakeCode, (key.Flags & RI_KEY_BREAK) != 0, messageTime, GetTickCount());
  });
  return state;
}

RemapHook::WatchState RemapSession::CheckHook() {
  RemapHook::WatchState state = RemapHook::WatchState::Alive;
  thread_.Call([&] {
    if (Watching()) state = hook_.CheckWatch(GetTickCount());
  });
  return state;
}

bool RemapSession::hookInstalled() {
  bool installed = false;
  thread_.Call([&] { installed = hook_.installed(); });
  return installed;
}

int RemapSession::hookInstalls() {
  int installs = 0;
  thread_.Call([&] { installs = hook_.installs(); });
  return installs;
}

void RemapSession::DropHookBehindItsBack() {
  thread_.Call([&] { UnhookWindowsHookEx(hook_.handle()); });
}

}  // namespace orvelle

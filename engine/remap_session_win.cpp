#include "engine/remap_session_win.h"

#include "engine/injected_key.h"

namespace orvelle {

RemapSession::RemapSession(HINSTANCE instance, FrontHook& front)
    : front_(front), worker_(queue_), hook_(instance, activeProfile_, actions_, keyboardPresent_, queue_, worker_) {}

RemapSession::~RemapSession() { Stop(); }

void RemapSession::UseProfiles(const ProfileSet& profiles, const KeyTable& table) {
  for (int n = 1; n <= 3; ++n) {
    actions_[static_cast<size_t>(n - 1)] = CompileActions(profiles.Profile(n), table, profiles.tapMs);
  }
}

void RemapSession::SetActiveProfile(int profile) {
  if (profile == activeProfile_ || !IsProfileNumber(profile)) return;
  activeProfile_ = profile;
  worker_.Flush();
}

void RemapSession::SetKeyboardPresent(bool present) {
  keyboardPresent_ = present;
  if (!present) {
    hook_.Remove();
    return;
  }
  if (hook_.installed()) return;
  hook_.Install();
  // The newest hook is called first: a recording in progress keeps the keys.
  if (front_.installed()) front_.PutFirst();
}

void RemapSession::ReinstallHook() {
  if (!keyboardPresent_) return;
  hook_.Reinstall();
  if (front_.installed()) front_.PutFirst();
}

void RemapSession::Stop() {
  hook_.Remove();
  worker_.Stop();
}

RemapHook::WatchState RemapSession::OnRawInput(HRAWINPUT input) {
  RAWINPUT raw{};
  UINT size = sizeof raw;
  if (GetRawInputData(input, RID_INPUT, &raw, &size, sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1) ||
      raw.header.dwType != RIM_TYPEKEYBOARD || !Watching()) {
    return RemapHook::WatchState::Alive;
  }
  const RAWKEYBOARD& key = raw.data.keyboard;
  // Raw input also reports what no hook is ever shown: the fake key 255 some keys send around
  // themselves and the E1 prefix of Pause. The characters our text keys type reach the hook and
  // raw input unlike keys, and unlike each other from host to host (as the packet key or as no
  // key, a release flagged as one or not): only keys are watched.
  const bool typedByUs = key.ExtraInformation == kInjectionTag && (key.VKey == VK_PACKET || key.VKey == 0);
  if (key.VKey == 0xFF || typedByUs || (key.Flags & RI_KEY_E1) != 0) return RemapHook::WatchState::Alive;
  return hook_.OnRawEvent(key.MakeCode, (key.Flags & RI_KEY_BREAK) != 0, static_cast<uint32_t>(GetMessageTime()),
                          GetTickCount());
}

RemapHook::WatchState RemapSession::CheckHook() const {
  return Watching() ? hook_.CheckWatch(GetTickCount()) : RemapHook::WatchState::Alive;
}

}  // namespace orvelle

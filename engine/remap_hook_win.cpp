#include "engine/remap_hook_win.h"

namespace orvelle {
namespace {

int16_t NumLockState() { return static_cast<int16_t>(GetKeyState(VK_NUMLOCK)); }

// Asks the system only: no allocation, no waiting.
bool OurWindowInFront() {
  DWORD processId = 0;
  const HWND front = GetForegroundWindow();
  return front != nullptr && GetWindowThreadProcessId(front, &processId) != 0 && processId == GetCurrentProcessId();
}

}  // namespace

RemapHook::RemapHook(HINSTANCE instance, const int& activeProfile, const std::array<KeyActions, 3>& actions,
                     const bool& keyboardPresent, std::atomic<bool>& ownWindowInFront, FrontHook& front,
                     OutputQueue& queue, InjectionWorker& worker)
    : instance_(instance),
      activeProfile_(activeProfile),
      actions_(actions),
      keyboardPresent_(keyboardPresent),
      ownWindowInFront_(ownWindowInFront),
      front_(front),
      queue_(queue),
      worker_(worker) {}

RemapHook::~RemapHook() = default;

void RemapHook::Install() {
  if (hook_.installed()) return;
  keys_.Reset(NumLockState(), SystemKeysDown());
  watch_.Reset();
  if (hook_.Install(instance_)) ++installs_;
}

void RemapHook::Remove() {
  if (!hook_.installed()) return;
  hook_.Remove();
  worker_.Flush();
}

void RemapHook::Reinstall() {
  hook_.Remove();
  LetGoOfSwallowedKeys();
  if (hook_.Install(instance_)) ++installs_;
}

void RemapHook::LetGoOfSwallowedKeys() {
  // The worker's mark comes first: what the swallowed keys started lies before it.
  worker_.Flush();
  // A key whose release raw input reported while the hook was gone is simply up again.
  const std::bitset<256> missed = watch_.MissedReleases();
  std::bitset<256> releasedUnseen;
  for (size_t code = 0; code < scanCodes_.size(); ++code) {
    if (scanCodes_[code] != 0 && missed[scanCodes_[code] & 0xFF]) releasedUnseen.set(code);
  }
  keys_.Forget(NumLockState(), SystemKeysDown(), releasedUnseen);
  watch_.Reset();
}

void RemapHook::TellLiveView(int key, uint32_t flags) {
  if (key < 1 || key > 255) return;
  const bool down = (flags & LLKHF_UP) == 0;
  const size_t slot = static_cast<size_t>(key);
  if (liveDown_.test(slot) == down) return;  // auto-repeats tell nothing
  liveDown_.set(slot, down);
  if (liveView_.load(std::memory_order_relaxed) && requestWindow_ != nullptr && liveMessage_ != 0) {
    PostMessageW(requestWindow_, liveMessage_, static_cast<WPARAM>(key), down ? 1 : 0);
  }
}

void RemapHook::SetPaused(bool paused) {
  if (paused_.exchange(paused, std::memory_order_relaxed) == paused || !paused) return;
  worker_.Flush();
}

void RemapHook::Forget() {
  keys_.Forget(NumLockState(), SystemKeysDown());
  watch_.Reset();
  worker_.Drop();
}

RemapHook::WatchState RemapHook::OnRawEvent(uint32_t makeCode, bool release, uint32_t messageTime, uint32_t now) {
  if (!hook_.installed()) return WatchState::Alive;
  watch_.OnRawEvent(makeCode, release, messageTime, now);
  return CheckWatch(now);
}

RemapHook::WatchState RemapHook::CheckWatch(uint32_t now) {
  if (!hook_.installed()) return WatchState::Alive;
  // Past the reinstall budget the watch gives up what it waited for: alive, until the hook shows.
  if (watch_.Lost(now) && watch_.MayReinstall(now)) return WatchState::Lost;
  return watch_.waiting() ? WatchState::Waiting : WatchState::Alive;
}

LRESULT RemapHook::OnKeyEvent(int code, WPARAM wParam, KBDLLHOOKSTRUCT& event) {
  const HHOOK handle = hook_.handle();
  // Typed characters are not watched for (see RemapSession::OnRawInput).
  if (event.vkCode != VK_PACKET) watch_.OnHookEvent(event.scanCode, (event.flags & LLKHF_UP) != 0, event.time);
  if ((event.flags & LLKHF_INJECTED) == 0 && event.vkCode < scanCodes_.size()) scanCodes_[event.vkCode] = event.scanCode;
  // A front hook (the recording's) takes every key from its coming in, but the system picks the
  // first hook of the chain when it hands an event on: one handed to this hook while the front
  // hook was being installed reaches this hook late, and the front hook never. Such a press was
  // the recording's first key; were it decided here, the recording would get its release alone.
  if (front_.installed() && !front_.handingOn() && !front_.TakeLateEvent(wParam, event)) return 1;
  RemapInputs inputs;
  inputs.keyboardPresent = keyboardPresent_;
  inputs.activeProfile = activeProfile_;
  // The foreground watch tells when a window of ours comes in front, and a little later that
  // another program's has: a press checks, so that remapping is back the moment it is.
  if (ownWindowInFront_.load(std::memory_order_relaxed) && (event.flags & (LLKHF_UP | LLKHF_INJECTED)) == 0 &&
      !OurWindowInFront()) {
    ownWindowInFront_.store(false, std::memory_order_relaxed);
  }
  inputs.ownWindowInFront = ownWindowInFront_.load(std::memory_order_relaxed);
  inputs.paused = paused_.load(std::memory_order_relaxed);
  for (size_t n = 0; n < 3; ++n) inputs.actions[n] = &actions_[n];

  const KeyDecision decision =
      HandleKeyEvent(static_cast<int>(event.vkCode), event.flags, event.time, inputs, keys_, queue_);
  if (decision.command && !decision.outputDropped) worker_.Wake();
  // A key of the user's reached the hook: the system may take our input again, so releases it
  // refused go out now.
  if (!decision.command && (event.flags & LLKHF_INJECTED) == 0 && worker_.releasesPending()) {
    worker_.RetryPendingReleases();
  }
  // No room even for a command that ends a playback (the worker has been stuck for a thousand
  // commands): everything queued before it ends instead, so nothing it would have ended plays on.
  if (decision.command && decision.outputDropped && EndsPlayback(*decision.command)) worker_.Flush();
  if (decision.launchProfile != 0 && requestWindow_ != nullptr) {
    PostMessageW(requestWindow_, requestMessage_, static_cast<WPARAM>(decision.vkCode),
                 static_cast<LPARAM>(decision.launchProfile));
  }
  if ((event.flags & LLKHF_INJECTED) == 0) TellLiveView(decision.key >= 0 ? decision.key : decision.vkCode, event.flags);
  if (decision.profileKey != ProfileTarget::None) {
    // A pause is the hook's own: the next key already sees it. A switch goes through the window,
    // as a click on a profile button does.
    if (decision.profileKey == ProfileTarget::Pause) SetPaused(!paused());
    if (requestWindow_ != nullptr && profileMessage_ != 0) {
      PostMessageW(requestWindow_, profileMessage_, static_cast<WPARAM>(decision.profileKey), paused() ? 1 : 0);
    }
  }
  event.vkCode = static_cast<DWORD>(decision.vkCode);
  switch (decision.verdict) {
    case Verdict::RemoveHookThenPass:
      Remove();
      return CallNextHookEx(handle, code, wParam, reinterpret_cast<LPARAM>(&event));
    case Verdict::Swallow:
      return 1;
    case Verdict::Pass:
      break;
  }
  return CallNextHookEx(handle, code, wParam, reinterpret_cast<LPARAM>(&event));
}

}  // namespace orvelle

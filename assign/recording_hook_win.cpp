#include "assign/recording_hook_win.h"

#include "engine/injected_key.h"

namespace orvelle {
RecordingHook::RecordingHook(RecordedKeyQueue& keys) : keys_(keys) {}

RecordingHook::~RecordingHook() { Remove(); }

void RecordingHook::HostOn(HookThread* thread, FrontHookListener* listener) {
  Remove();
  thread_ = thread;
  listener_ = listener;
}

void RecordingHook::Install(HINSTANCE instance, HWND dialog) {
  OnHookThread([&] {
    dialog_ = dialog;
    if (hook_.installed()) return;
    passed_.Reset(SystemKeysDown());
    if (hook_.Install(instance) && listener_ != nullptr) listener_->FrontHookCameIn();
  });
}

void RecordingHook::Remove() {
  OnHookThread([&] { hook_.Remove(); });
}

void RecordingHook::Reinstall(HINSTANCE instance) {
  OnHookThread([&] {
    if (!hook_.installed()) return;
    // A hook the system dropped behind our back missed events: the system's key state says what
    // reached applications meanwhile.
    hook_.Remove();
    passed_.Reset(SystemKeysDown());
    hook_.Install(instance);
  });
}

bool RecordingHook::Take(WPARAM wParam, const KBDLLHOOKSTRUCT& event) noexcept {
  if (wParam != WM_KEYDOWN && wParam != WM_SYSKEYDOWN && wParam != WM_KEYUP && wParam != WM_SYSKEYUP) return true;
  const bool press = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
  const int vkCode = static_cast<int>(event.vkCode);
  // Our own output (a remapped key let go just before) reaches the application; it is not a key
  // the user pressed for the recording.
  const bool ownOutput = event.dwExtraInfo == kInjectionTag;
  const bool passes = passed_.Passes(vkCode, press, ownOutput);
  if (!ownOutput && keys_.Push(RecordedKey{press, vkCode, event.scanCode, event.flags, event.time})) {
    PostMessageW(dialog_, kRecordedKeyMessage, 0, 0);
  }
  return passes;
}

LRESULT RecordingHook::OnKeyEvent(int code, WPARAM wParam, KBDLLHOOKSTRUCT& event) {
  if (!Take(wParam, event)) return 1;
  // The hooks behind run inside this call, on this thread.
  handingOn_ = true;
  const LRESULT result = CallNextHookEx(hook_.handle(), code, wParam, reinterpret_cast<LPARAM>(&event));
  handingOn_ = false;
  return result;
}

}  // namespace orvelle

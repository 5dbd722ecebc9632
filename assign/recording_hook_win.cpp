#include "assign/recording_hook_win.h"

#include "engine/injection.h"

namespace orvelle {
namespace {

// The hook is a free callback; it reaches the one recording hook object through this.
RecordingHook* g_recordingHook = nullptr;

}  // namespace

RecordingHook::RecordingHook(RecordedKeyQueue& keys) : keys_(keys) { g_recordingHook = this; }

RecordingHook::~RecordingHook() {
  hook_.Remove();
  if (g_recordingHook == this) g_recordingHook = nullptr;
}

void RecordingHook::Install(HINSTANCE instance, HWND dialog) {
  dialog_ = dialog;
  if (hook_.installed()) return;
  passed_.Reset(SystemKeysDown());
  hook_.Install(instance);
}

void RecordingHook::Remove() { hook_.Remove(); }

void RecordingHook::Reinstall(HINSTANCE instance) {
  if (!hook_.installed()) return;
  // A hook the system dropped behind our back missed events: the system's key state says what
  // reached applications meanwhile.
  hook_.Remove();
  passed_.Reset(SystemKeysDown());
  hook_.Install(instance);
}

LRESULT CALLBACK RecordingHook::Procedure(int code, WPARAM wParam, LPARAM lParam) noexcept {
  RecordingHook* self = g_recordingHook;
  const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  const HHOOK handle = self != nullptr ? self->hook_.handle() : nullptr;
  if (code != HC_ACTION || self == nullptr || event == nullptr) return CallNextHookEx(handle, code, wParam, lParam);
  if (wParam != WM_KEYDOWN && wParam != WM_SYSKEYDOWN && wParam != WM_KEYUP && wParam != WM_SYSKEYUP) {
    return CallNextHookEx(handle, code, wParam, lParam);
  }
  const bool press = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
  const int vkCode = static_cast<int>(event->vkCode);
  // Our own output (a remapped key let go just before) reaches the application; it is not a key
  // the user pressed for the recording.
  const bool ownOutput = event->dwExtraInfo == kInjectionTag;
  const bool passes = self->passed_.Passes(vkCode, press, ownOutput);
  if (!ownOutput && self->keys_.Push(RecordedKey{press, vkCode, event->scanCode, event->flags, event->time})) {
    PostMessageW(self->dialog_, kRecordedKeyMessage, 0, 0);
  }
  return passes ? CallNextHookEx(handle, code, wParam, lParam) : 1;
}

}  // namespace orvelle

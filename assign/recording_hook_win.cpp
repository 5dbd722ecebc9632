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
  hook_.Install(instance);
}

void RecordingHook::Remove() { hook_.Remove(); }

void RecordingHook::Reinstall(HINSTANCE instance) {
  if (hook_.installed()) hook_.Reinstall(instance);
}

LRESULT CALLBACK RecordingHook::Procedure(int code, WPARAM wParam, LPARAM lParam) noexcept {
  RecordingHook* self = g_recordingHook;
  const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  const HHOOK handle = self != nullptr ? self->hook_.handle() : nullptr;
  if (code != HC_ACTION || self == nullptr || event == nullptr) return CallNextHookEx(handle, code, wParam, lParam);
  // Our own output (a remapped key let go just before) reaches the application; it is not a key
  // the user pressed for the recording.
  if (event->dwExtraInfo == kInjectionTag) return CallNextHookEx(handle, code, wParam, lParam);
  switch (wParam) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (self->keys_.Push(RecordedKey{wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN, static_cast<int>(event->vkCode),
                                       event->scanCode, event->flags, event->time})) {
        PostMessageW(self->dialog_, kRecordedKeyMessage, 0, 0);
      }
      return 1;
    default:
      return CallNextHookEx(handle, code, wParam, lParam);
  }
}

}  // namespace orvelle

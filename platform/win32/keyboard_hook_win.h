#pragma once

#include <windows.h>

#include <bitset>

namespace orvelle {

// The keys the system holds down now, by virtual-key code: presses that reached applications
// before a hook came in, whose auto-repeats and releases must reach them too. A press a hook
// swallowed never reached the system, so its key looks up here.
inline std::bitset<256> SystemKeysDown() {
  std::bitset<256> down;
  for (int code = 1; code < 255; ++code) {
    if (GetAsyncKeyState(code) & 0x8000) down.set(static_cast<size_t>(code));
  }
  return down;
}

// One low-level keyboard hook, owned: installed and removed through this object and removed
// when it goes. The system may drop a low-level hook without telling anyone (when the hook's
// thread overran the hook timeout); removing such a hook fails, and the handle is forgotten all
// the same, so that a later install is never blocked by a stale one.
class KeyboardHook {
 public:
  explicit KeyboardHook(HOOKPROC procedure) : procedure_(procedure) {}
  ~KeyboardHook() { Remove(); }
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;

  // Installs the hook on the calling thread unless it is installed; false when the system
  // refused.
  bool Install(HINSTANCE instance) {
    if (handle_ == nullptr) handle_ = SetWindowsHookExW(WH_KEYBOARD_LL, procedure_, instance, 0);
    return handle_ != nullptr;
  }

  void Remove() {
    if (handle_ == nullptr) return;
    UnhookWindowsHookEx(handle_);
    handle_ = nullptr;
  }

  // Out and in again: the newest low-level hook is called first, so the hook heads the chain
  // again, and a hook the system dropped behind our back is back.
  bool Reinstall(HINSTANCE instance) {
    Remove();
    return Install(instance);
  }

  bool installed() const { return handle_ != nullptr; }
  HHOOK handle() const { return handle_; }

 private:
  HOOKPROC procedure_;
  HHOOK handle_ = nullptr;
};

}  // namespace orvelle

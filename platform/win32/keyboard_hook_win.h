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

class HookThread;

// Hears, on the hook thread, that a front hook has come in: from then on the keys go to it, and
// the hooks behind it see none of them, not even the releases of keys they hold.
class FrontHookListener {
 public:
  virtual void FrontHookCameIn() = 0;

 protected:
  ~FrontHookListener() = default;
};

// Another low-level hook of ours that must stay ahead of the remap hook while it runs (the
// assignment dialog's recording hook): it takes every key first. It lives on the remap hook's
// thread; `installed` and `PutFirst` are asked there.
class FrontHook {
 public:
  virtual ~FrontHook() = default;
  virtual bool installed() const = 0;
  // Out and in again, so that it heads the hook chain again.
  virtual void PutFirst() = 0;
  // Whether it is handing an event on to the hooks behind it now (inside its CallNextHookEx).
  virtual bool handingOn() const = 0;
  // An event the system had already handed to a hook behind it when it came in, which it never
  // sees: taken as it would have taken it; true when the event is to go on to the hooks behind.
  virtual bool TakeLateEvent(WPARAM wParam, const KBDLLHOOKSTRUCT& event) = 0;
  // The thread it is installed on from now on, and who hears of it coming in; nullptr for both:
  // the thread goes, and the hook is taken out of it first.
  virtual void HostOn(HookThread* thread, FrontHookListener* listener) = 0;
};

// One low-level keyboard hook, owned together with the object it calls: installed and removed
// through this object and removed when it goes. `Target` answers each event with
// `LRESULT OnKeyEvent(int code, WPARAM wParam, KBDLLHOOKSTRUCT& event)`; an exception it throws
// never reaches the system, and the event then passes unchanged.
//
// Install, Remove and Reinstall are called on the thread the hook is to live on (HookThread).
// The system hands a low-level hook procedure nothing of ours, so each kind of target has one
// slot on its thread, filled by the hook object only while its hook is installed and emptied
// when it is removed: nothing outside this object points at the target, and an event that comes
// after the hook went (a call the system already queued) finds the slot empty and passes.
//
// The system may drop a low-level hook without telling anyone (when the hook's thread overran
// the hook timeout); removing such a hook fails, and the handle is forgotten all the same, so
// that a later install is never blocked by a stale one.
template <typename Target>
class KeyboardHook {
 public:
  explicit KeyboardHook(Target& target) : target_(target) {}
  ~KeyboardHook() { Remove(); }
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;

  // Installs the hook on the calling thread unless it is installed; false when the system
  // refused.
  bool Install(HINSTANCE instance) {
    if (handle_ != nullptr) return true;
    // Filled first: the system may call the procedure as soon as the hook exists.
    Slot() = &target_;
    handle_ = SetWindowsHookExW(WH_KEYBOARD_LL, Procedure, instance, 0);
    if (handle_ == nullptr) Slot() = nullptr;
    return handle_ != nullptr;
  }

  void Remove() {
    if (handle_ == nullptr) return;
    UnhookWindowsHookEx(handle_);
    handle_ = nullptr;
    if (Slot() == &target_) Slot() = nullptr;
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
  static Target*& Slot() noexcept {
    thread_local Target* target = nullptr;
    return target;
  }

  static LRESULT CALLBACK Procedure(int code, WPARAM wParam, LPARAM lParam) noexcept {
    Target* target = Slot();
    auto* event = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam);
    if (code != HC_ACTION || target == nullptr || event == nullptr) return CallNextHookEx(nullptr, code, wParam, lParam);
    try {
      return target->OnKeyEvent(code, wParam, *event);
    } catch (...) {
      // Nothing may unwind into the system; an event we could not decide on passes unchanged.
      return CallNextHookEx(nullptr, code, wParam, lParam);
    }
  }

  Target& target_;
  HHOOK handle_ = nullptr;
};

}  // namespace orvelle

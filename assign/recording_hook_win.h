#pragma once

#include <windows.h>

#include "assign/recording.h"
#include "platform/win32/hook_thread_win.h"
#include "platform/win32/keyboard_hook_win.h"

namespace orvelle {

// The assignment dialog's own low-level keyboard hook. While installed it copies every key event
// of the desktop but our own injected output into the dialog's queue and posts the dialog
// kRecordedKeyMessage, so a key can be captured or recorded; it swallows each of them but the
// auto-repeats and the release of a key that was already down when it came in (PassedKeys), so
// no key stays down in an application. It lives on the remap hook's thread (HostOn), in front of
// the remap hook, and tells the remapping session when it comes in: the remap hook then lets go
// of the keys it holds, whose releases only this hook will see. One object lives with the dialog.
class RecordingHook {
 public:
  static constexpr UINT kRecordedKeyMessage = WM_USER + 102;

  explicit RecordingHook(RecordedKeyQueue& keys);
  ~RecordingHook();
  RecordingHook(const RecordingHook&) = delete;
  RecordingHook& operator=(const RecordingHook&) = delete;

  // See FrontHook::HostOn. Without a thread the hook is installed on the caller's.
  void HostOn(HookThread* thread, FrontHookListener* listener);
  // Installs the hook for `dialog` unless it is installed; the keys down then pass until released.
  void Install(HINSTANCE instance, HWND dialog);
  void Remove();
  // Out and in again, so that it heads the hook chain (after the remap hook came back, which
  // would otherwise see keys before it). What passes starts again from the keys down then.
  void Reinstall(HINSTANCE instance);
  // Asked on the hook thread.
  bool installed() const { return hook_.installed(); }

  // Takes one key event: copies it for the dialog, and says whether it goes on to the hooks behind.
  // Also for an event the remap hook was handed before this hook came in (FrontHook::TakeLateEvent).
  bool Take(WPARAM wParam, const KBDLLHOOKSTRUCT& event) noexcept;
  // Inside the call that hands an event on to the hooks behind: the remap hook then knows that
  // this hook has seen the event.
  bool handingOn() const { return handingOn_; }

  // The hook procedure's call, for every key event while installed.
  LRESULT OnKeyEvent(int code, WPARAM wParam, KBDLLHOOKSTRUCT& event);

 private:
  template <typename Work>
  void OnHookThread(Work&& work) {
    if (thread_ != nullptr) {
      thread_->Call(work);
    } else {
      work();
    }
  }

  RecordedKeyQueue& keys_;
  HookThread* thread_ = nullptr;
  FrontHookListener* listener_ = nullptr;
  PassedKeys passed_;      // on the hook thread, the hook's own
  HWND dialog_ = nullptr;  // the only window the hook ever addresses
  bool handingOn_ = false;
  KeyboardHook<RecordingHook> hook_{*this};
};

}  // namespace orvelle

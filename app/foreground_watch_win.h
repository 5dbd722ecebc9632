#pragma once

#include <windows.h>

#include <string>

namespace orvelle {

// Told whenever another window comes to the front of the desktop.
class ForegroundListener {
 public:
  virtual ~ForegroundListener() = default;
  virtual void OnForegroundChanged(HWND window) = 0;
};

// Follows the foreground window with window-event hooks on the user-interface thread (out of
// context: nothing is loaded into other programs; the system calls back while this thread
// fetches its messages): a window that comes to the front, and one restored from the taskbar,
// which may come back in front without a foreground event (full-screen games do). Where the system sends no such events (Wine 8 does not), a look at the
// foreground window every kPollMs stands in for them, but only while the caller asks for it
// and no event has come yet. One at a time on a thread: the
// system hands the event and timer procedures nothing of ours, so they find the watch in a slot
// of the thread that the watch fills while it lives and empties when it goes.
class ForegroundWatch {
 public:
  static constexpr UINT kPollMs = 100;

  explicit ForegroundWatch(ForegroundListener& listener);
  ~ForegroundWatch();
  ForegroundWatch(const ForegroundWatch&) = delete;
  ForegroundWatch& operator=(const ForegroundWatch&) = delete;

  // Whether the foreground matters now; polling runs only while it does and events are missing.
  void SetPolling(bool wanted);
  // Events received from the system so far.
  unsigned events() const { return events_; }
  // Raises a window event for `window` through the system, as the system would: the test twin's
  // way to run the event path where the system raises none itself.
  static void RaiseEvent(DWORD event, HWND window);

 private:
  static void CALLBACK Procedure(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                 DWORD thread, DWORD time) noexcept;
  static void CALLBACK Poll(HWND, UINT, UINT_PTR timer, DWORD) noexcept;
  static ForegroundWatch*& Current() noexcept;
  void Tell(HWND window);

  ForegroundListener& listener_;
  HWINEVENTHOOK hook_ = nullptr;  // the foreground event
  HWINEVENTHOOK restoreHook_ = nullptr;  // the end of a minimised window's restore
  unsigned events_ = 0;
  bool eventsCome_ = false;
  UINT_PTR timer_ = 0;
  HWND last_ = nullptr;
};

// The full path of the program that owns the window, or its file name alone where the system
// denies a look into the process (another user's, an elevated or protected one); empty for our
// own windows. For a packaged app's frame, the app's own program inside it.
std::wstring ProgramPathOf(HWND window);

}  // namespace orvelle

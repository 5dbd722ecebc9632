#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace orvelle {

// Told when input goes to another desktop, or back to ours.
class DesktopSwitchListener {
 public:
  virtual ~DesktopSwitchListener() = default;
  virtual void OnDesktopSwitch(bool inputDesktopOurs) = 0;
};

// Session notices (WM_WTSSESSION_CHANGE: lock, unlock, connects and disconnects) for one window,
// and desktop switches for a listener, from the moment the object is made until it goes.
// wtsapi32.dll is not one of the system's known DLLs, so it is loaded from the system folder
// rather than imported.
//
// A desktop switch (to the secure desktop of a lock or a consent prompt, and back) comes to an
// out-of-context window-event hook, called on this thread while it fetches its messages. The
// system hands the procedure nothing of ours, so it finds the object in a slot of the thread
// that the object fills while it lives; one at a time on a thread.
class SessionNotices {
 public:
  SessionNotices(HWND window, DesktopSwitchListener& listener)
      : window_(window), listener_(listener), library_(LoadSystemLibrary(L"wtsapi32.dll")) {
    if (library_) {
      using Register = BOOL(WINAPI*)(HWND, DWORD);
      const auto registerWindow = reinterpret_cast<Register>(
          reinterpret_cast<void*>(GetProcAddress(library_.get(), "WTSRegisterSessionNotification")));
      registered_ = registerWindow != nullptr && registerWindow(window_, 0 /* NOTIFY_FOR_THIS_SESSION */);
    }
    if (Current() != nullptr) return;
    Current() = this;
    switchHook_.reset(SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH, nullptr, OnWinEvent, 0, 0,
                                      WINEVENT_OUTOFCONTEXT));
  }
  ~SessionNotices() {
    switchHook_.reset();
    if (Current() == this) Current() = nullptr;
    if (!registered_) return;
    using Unregister = BOOL(WINAPI*)(HWND);
    const auto unregisterWindow = reinterpret_cast<Unregister>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), "WTSUnRegisterSessionNotification")));
    if (unregisterWindow != nullptr) unregisterWindow(window_);
  }
  SessionNotices(const SessionNotices&) = delete;
  SessionNotices& operator=(const SessionNotices&) = delete;

  // Whether input goes to this thread's desktop. The secure desktop cannot even be opened by a
  // program of the user's: that is not ours either.
  static bool InputDesktopOurs() {
    const Unique<DesktopTraits> input(OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS));
    if (!input) return false;
    wchar_t inputName[256] = {};
    wchar_t ourName[256] = {};
    // The thread's desktop handle belongs to the system: it is not closed.
    const HDESK ours = GetThreadDesktop(GetCurrentThreadId());
    if (!GetUserObjectInformationW(input.get(), UOI_NAME, inputName, sizeof inputName - sizeof(wchar_t), nullptr) ||
        ours == nullptr ||
        !GetUserObjectInformationW(ours, UOI_NAME, ourName, sizeof ourName - sizeof(wchar_t), nullptr)) {
      return true;  // cannot tell: as though nothing had moved
    }
    return lstrcmpiW(inputName, ourName) == 0;
  }

 private:
  struct DesktopTraits {
    using Handle = HDESK;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseDesktop(h); }
  };
  struct WinEventHookTraits {
    using Handle = HWINEVENTHOOK;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { UnhookWinEvent(h); }
  };

  static SessionNotices*& Current() noexcept {
    thread_local SessionNotices* notices = nullptr;
    return notices;
  }

  static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND, LONG, LONG, DWORD, DWORD) noexcept {
    SessionNotices* notices = Current();
    if (notices == nullptr || hook != notices->switchHook_.get() || event != EVENT_SYSTEM_DESKTOPSWITCH) return;
    try {
      notices->listener_.OnDesktopSwitch(InputDesktopOurs());
    } catch (...) {
      // Nothing may unwind into the system; the next switch, lock or unlock lets go again.
    }
  }

  HWND window_;
  DesktopSwitchListener& listener_;
  UniqueModule library_;
  bool registered_ = false;
  Unique<WinEventHookTraits> switchHook_;
};

}  // namespace orvelle

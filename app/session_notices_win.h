#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace orvelle {

// Session lock and unlock notices (WM_WTSSESSION_CHANGE) for one window, from the moment the
// object is made until it goes. wtsapi32.dll is not one of the system's known DLLs, so it is
// loaded from the system folder rather than imported.
class SessionNotices {
 public:
  explicit SessionNotices(HWND window) : window_(window), library_(LoadSystemLibrary(L"wtsapi32.dll")) {
    if (!library_) return;
    using Register = BOOL(WINAPI*)(HWND, DWORD);
    const auto registerWindow = reinterpret_cast<Register>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), "WTSRegisterSessionNotification")));
    registered_ = registerWindow != nullptr && registerWindow(window_, 0 /* NOTIFY_FOR_THIS_SESSION */);
  }
  ~SessionNotices() {
    if (!registered_) return;
    using Unregister = BOOL(WINAPI*)(HWND);
    const auto unregisterWindow = reinterpret_cast<Unregister>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), "WTSUnRegisterSessionNotification")));
    if (unregisterWindow != nullptr) unregisterWindow(window_);
  }
  SessionNotices(const SessionNotices&) = delete;
  SessionNotices& operator=(const SessionNotices&) = delete;

 private:
  HWND window_;
  UniqueModule library_;
  bool registered_ = false;
};

}  // namespace orvelle

#include "app/foreground_watch_win.h"

#include "platform/win32/handles.h"

namespace orvelle {
ForegroundWatch*& ForegroundWatch::Current() noexcept {
  thread_local ForegroundWatch* watch = nullptr;
  return watch;
}

ForegroundWatch::ForegroundWatch(ForegroundListener& listener) : listener_(listener) {
  if (Current() != nullptr) return;
  // The watch is ours even without the hook: then looking at the foreground is all there is.
  Current() = this;
  hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, Procedure, 0, 0,
                          WINEVENT_OUTOFCONTEXT);
}

ForegroundWatch::~ForegroundWatch() {
  SetPolling(false);
  if (hook_ != nullptr) UnhookWinEvent(hook_);
  if (Current() == this) Current() = nullptr;
}

void ForegroundWatch::SetPolling(bool wanted) {
  if (Current() != this) return;
  if (wanted && !eventsCome_) {
    if (timer_ == 0) timer_ = SetTimer(nullptr, 0, kPollMs, Poll);
  } else if (timer_ != 0) {
    KillTimer(nullptr, timer_);
    timer_ = 0;
  }
}

void CALLBACK ForegroundWatch::Procedure(HWINEVENTHOOK hook, DWORD event, HWND window, LONG, LONG, DWORD,
                                         DWORD) noexcept {
  ForegroundWatch* watch = Current();
  if (watch == nullptr || hook != watch->hook_ || event != EVENT_SYSTEM_FOREGROUND) return;
  if (!watch->eventsCome_) {
    // The system tells: no more looking.
    watch->eventsCome_ = true;
    watch->SetPolling(false);
  }
  watch->Tell(window);
}

void CALLBACK ForegroundWatch::Poll(HWND, UINT, UINT_PTR timer, DWORD) noexcept {
  ForegroundWatch* watch = Current();
  if (watch == nullptr || timer != watch->timer_) return;
  const HWND window = GetForegroundWindow();
  if (window != watch->last_) watch->Tell(window);
}

void ForegroundWatch::Tell(HWND window) {
  last_ = window;
  try {
    listener_.OnForegroundChanged(window);
  } catch (...) {
    // A profile that cannot follow this once follows at the next change.
  }
}

std::wstring ProgramPathOf(HWND window) {
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0) return {};
  if (processId == GetCurrentProcessId()) return {};
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  // Called at every change of the foreground: the buffer starts at MAX_PATH and grows only for a
  // path that does not fit, which the system says with ERROR_INSUFFICIENT_BUFFER; long paths
  // reach 32,767 characters.
  constexpr DWORD kLongestPath = 32768;
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) {
      path.resize(length);
      return path;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= kLongestPath) return {};
    path.resize(path.size() * 2 < kLongestPath ? path.size() * 2 : kLongestPath);
  }
}

}  // namespace orvelle

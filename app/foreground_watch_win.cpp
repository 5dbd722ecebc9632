#include "app/foreground_watch_win.h"

#include <tlhelp32.h>

#include "app/profile_follower.h"
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
  // Its own hook: a range up to it would bring every menu, drag and scroll event of the desktop.
  restoreHook_ = SetWinEventHook(EVENT_SYSTEM_MINIMIZEEND, EVENT_SYSTEM_MINIMIZEEND, nullptr, Procedure, 0, 0,
                                 WINEVENT_OUTOFCONTEXT);
}

ForegroundWatch::~ForegroundWatch() {
  SetPolling(false);
  if (hook_ != nullptr) UnhookWinEvent(hook_);
  if (restoreHook_ != nullptr) UnhookWinEvent(restoreHook_);
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

void CALLBACK ForegroundWatch::Procedure(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                         DWORD, DWORD) noexcept {
  ForegroundWatch* watch = Current();
  if (watch == nullptr) return;
  const bool foreground = hook == watch->hook_ && event == EVENT_SYSTEM_FOREGROUND;
  const bool restored = hook == watch->restoreHook_ && event == EVENT_SYSTEM_MINIMIZEEND && object == OBJID_WINDOW &&
                        child == CHILDID_SELF;
  if (!foreground && !(restored && window != nullptr)) return;
  ++watch->events_;
  if (foreground && !watch->eventsCome_) {
    // The system tells about the foreground: no more looking. A restore alone does not say so.
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

void ForegroundWatch::RaiseEvent(DWORD event, HWND window) {
  NotifyWinEvent(event, window, OBJID_WINDOW, CHILDID_SELF);
}

namespace {

// The file name of the process's program from a snapshot of the processes, which needs no
// access to the process itself; empty when it has ended.
std::wstring ProgramNameFromSnapshot(DWORD processId) {
  // It fails with INVALID_HANDLE_VALUE, as CreateFileW does.
  const UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return {};
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == processId) return entry.szExeFile;
  }
  return {};
}

std::wstring ProcessPath(DWORD processId) {
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return ProgramNameFromSnapshot(processId);
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
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= kLongestPath) {
      return ProgramNameFromSnapshot(processId);
    }
    path.resize(path.size() * 2 < kLongestPath ? path.size() * 2 : kLongestPath);
  }
}

struct HostedSearch {
  DWORD hostId;
  DWORD appId = 0;
};

// A packaged app's window is a child of the frame host's window, and its process is the app's.
BOOL CALLBACK FindHostedApp(HWND child, LPARAM search) noexcept {
  auto& found = *reinterpret_cast<HostedSearch*>(search);
  DWORD processId = 0;
  if (GetWindowThreadProcessId(child, &processId) == 0 || processId == found.hostId) return TRUE;
  found.appId = processId;
  return FALSE;
}

}  // namespace

std::wstring ProgramPathOf(HWND window) {
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0) return {};
  if (processId == GetCurrentProcessId()) return {};
  std::wstring path = ProcessPath(processId);
  if (!IsAppFrameHost(path)) return path;
  HostedSearch search{processId};
  EnumChildWindows(window, FindHostedApp, reinterpret_cast<LPARAM>(&search));
  // A frame whose app is suspended or still starting has no app window yet: the host it is.
  return search.appId != 0 ? ProcessPath(search.appId) : path;
}

}  // namespace orvelle

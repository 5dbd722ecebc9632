#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <type_traits>

#include "platform/win32/handles.h"

namespace orvelle {

// The thread the low-level keyboard hooks live on. The system calls a low-level hook on the
// thread that installed it, through that thread's messages, and every key of the desktop waits
// for the call: so the hooks get a thread that does nothing else, runs at a raised priority and
// only ever waits in its message loop. Whatever touches a hook or the state its procedure reads
// is handed to that thread with Call and waited for, so the procedure never shares its state with
// another thread. Started by the constructor, ended by the destructor.
class HookThread {
 public:
  HookThread();
  ~HookThread();
  HookThread(const HookThread&) = delete;
  HookThread& operator=(const HookThread&) = delete;

  // Runs `work` on the hook thread and returns when it is done; on the hook thread itself (a hook
  // procedure, or work handed over) it runs at once. Without the thread (it could not be started)
  // `work` runs on the caller. Nothing `work` throws crosses the threads: it is dropped there.
  template <typename Work>
  void Call(Work&& work) {
    using Plain = std::remove_reference_t<Work>;
    RunThere(+[](void* context) noexcept {
      try {
        (*static_cast<Plain*>(context))();
      } catch (...) {
      }
    }, &work);
  }

  bool onThread() const noexcept { return GetCurrentThreadId() == id_; }

 private:
  struct Task {
    void (*run)(void*) noexcept;
    void* context;
  };
  static DWORD WINAPI Main(void* self) noexcept;
  void RunThere(void (*run)(void*) noexcept, void* context);

  // Carries no data: what to run is in task_, which only our own callers fill, so a stray
  // message from elsewhere runs nothing.
  static constexpr UINT kRunMessage = WM_APP + 1;

  UniqueHandle ready_;  // the thread's message queue exists
  UniqueHandle done_;   // auto-reset: the task handed over has run
  std::mutex callers_;  // one task at a time
  std::atomic<Task*> task_{nullptr};
  DWORD id_ = 0;
  UniqueHandle thread_;
};

}  // namespace orvelle

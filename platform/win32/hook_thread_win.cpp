#include "platform/win32/hook_thread_win.h"

namespace orvelle {

HookThread::HookThread()
    : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), done_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (!ready_ || !done_) return;
  thread_.reset(CreateThread(nullptr, 0, Main, this, 0, &id_));
  if (!thread_) {
    id_ = 0;
    return;
  }
  // Above the user interface, so that a busy window never delays a key; not real-time, which
  // would starve the system's own input handling.
  SetThreadPriority(thread_.get(), THREAD_PRIORITY_HIGHEST);
  // A message posted to a thread before it has a message queue is lost.
  WaitForSingleObject(ready_.get(), INFINITE);
}

HookThread::~HookThread() {
  if (!thread_) return;
  PostThreadMessageW(id_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_.get(), INFINITE);
}

void HookThread::RunThere(void (*run)(void*) noexcept, void* context) {
  if (!thread_ || onThread()) {
    run(context);
    return;
  }
  std::lock_guard lock(callers_);
  Task task{run, context};
  task_.store(&task);
  if (!PostThreadMessageW(id_, kRunMessage, 0, 0)) {
    task_.store(nullptr);
    run(context);
    return;
  }
  // The caller does not pump its own messages meanwhile: nothing the hook thread does waits
  // for another thread, and no message of the caller's can start a second call inside this one.
  WaitForSingleObject(done_.get(), INFINITE);
}

DWORD WINAPI HookThread::Main(void* param) noexcept {
  auto* self = static_cast<HookThread*>(param);
  MSG message;
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the message queue
  SetEvent(self->ready_.get());
  // The low-level hooks are called from inside GetMessageW.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == kRunMessage) {
      if (Task* task = self->task_.exchange(nullptr)) {
        task->run(task->context);
        SetEvent(self->done_.get());
      }
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace orvelle

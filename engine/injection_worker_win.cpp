#include "engine/injection_worker_win.h"

#include "engine/injection.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace orvelle {
namespace {

// A pause of about one millisecond. Sleep(1) waits for the next timer tick, up to 15.6 ms, and a
// process whose windows sit hidden in the tray cannot ask for a finer tick; a high-resolution
// waitable timer keeps its millisecond regardless. Sleep(1) remains where the system has none.
class MillisecondPause {
 public:
  MillisecondPause()
      : timer_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS)) {}
  ~MillisecondPause() {
    if (timer_ != nullptr) CloseHandle(timer_);
  }
  MillisecondPause(const MillisecondPause&) = delete;
  MillisecondPause& operator=(const MillisecondPause&) = delete;

  bool precise() const { return timer_ != nullptr; }

  void operator()() const {
    LARGE_INTEGER due;
    due.QuadPart = -10000;  // 1 ms, relative, in 100 ns units
    if (timer_ != nullptr && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE) &&
        WaitForSingleObject(timer_, INFINITE) == WAIT_OBJECT_0) {
      return;
    }
    Sleep(1);
  }

 private:
  HANDLE timer_;
};

void InjectKey(const KeyInjection& key) {
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(key.keyCode), MAPVK_VK_TO_VSC);
  keybd_event(static_cast<BYTE>(key.keyCode), static_cast<BYTE>(scan), key.release ? KEYEVENTF_KEYUP : 0, 0);
}

}  // namespace

InjectionWorker::InjectionWorker(OutputQueue& queue) : queue_(queue) {
  DWORD id = 0;
  // Created suspended so that the identity is recorded before the worker's first check.
  thread_ = CreateThread(nullptr, 0, InjectionWorkerMain, this, CREATE_SUSPENDED, &id);
  if (thread_ == nullptr) return;
  workerIdentity_.store(id);
  ResumeThread(thread_);
}

InjectionWorker::~InjectionWorker() {
  workerIdentity_.store(0);
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
}

DWORD WINAPI InjectionWorker::InjectionWorkerMain(void* param) noexcept {
  auto* self = static_cast<InjectionWorker*>(param);
  const MillisecondPause pause;
  self->precisePause_.store(pause.precise());
  const DWORD me = GetCurrentThreadId();
  RunInjectionLoop(
      self->queue_, [&] { return self->workerIdentity_.load(std::memory_order_relaxed) == me; }, InjectKey,
      [&] { pause(); });
  return 0;
}

}  // namespace orvelle

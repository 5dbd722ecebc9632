#include "engine/injection_worker_win.h"

#include "engine/injection.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace orvelle {
namespace {

// The worker's beat: a high-resolution waitable timer that fires every millisecond, so that each
// cycle (one injection, then the wait) takes one millisecond and queued events leave 1 ms apart.
// Sleep(1) would wait for the next scheduler tick, up to 15.6 ms, and a process whose windows sit
// hidden in the tray cannot ask for a finer tick; the high-resolution timer keeps its
// millisecond regardless. Sleep(1) remains where the system has no such timer.
class MillisecondBeat {
 public:
  MillisecondBeat()
      : timer_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS)) {
    LARGE_INTEGER due;
    due.QuadPart = -10000;  // first beat 1 ms from now (100 ns units, relative)
    if (timer_ != nullptr && !SetWaitableTimer(timer_, &due, 1, nullptr, nullptr, FALSE)) {
      CloseHandle(timer_);
      timer_ = nullptr;
    }
  }
  ~MillisecondBeat() {
    if (timer_ != nullptr) {
      CancelWaitableTimer(timer_);
      CloseHandle(timer_);
    }
  }
  MillisecondBeat(const MillisecondBeat&) = delete;
  MillisecondBeat& operator=(const MillisecondBeat&) = delete;

  bool precise() const { return timer_ != nullptr; }

  void Wait() const {
    if (timer_ == nullptr || WaitForSingleObject(timer_, INFINITE) != WAIT_OBJECT_0) Sleep(1);
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
  const MillisecondBeat beat;
  self->precisePause_.store(beat.precise());
  const DWORD me = GetCurrentThreadId();
  RunInjectionLoop(
      self->queue_, [&] { return self->workerIdentity_.load(std::memory_order_relaxed) == me; }, InjectKey,
      [&] { beat.Wait(); });
  return 0;
}

}  // namespace orvelle

#include "engine/injection_worker_win.h"

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
    if (timer_ && !SetWaitableTimer(timer_.get(), &due, 1, nullptr, nullptr, FALSE)) timer_.reset();
  }
  ~MillisecondBeat() {
    if (timer_) CancelWaitableTimer(timer_.get());
  }
  MillisecondBeat(const MillisecondBeat&) = delete;
  MillisecondBeat& operator=(const MillisecondBeat&) = delete;

  void Wait() const {
    if (!timer_ || WaitForSingleObject(timer_.get(), INFINITE) != WAIT_OBJECT_0) Sleep(1);
  }

 private:
  UniqueHandle timer_;
};

// One key event into the system's input stream, as the real key would send it: its scan code,
// the extended flag where the key has one, and our tag so our own hooks know it.
void InjectKey(const KeyInjection& key) {
  const InjectedKey injected = InjectedKeyFor(key.keyCode);
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(injected.virtualKey), MAPVK_VK_TO_VSC_EX);
  const bool extended = injected.extended || (scan >> 8) == 0xE0 || (scan >> 8) == 0xE1;
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(injected.virtualKey);
  input.ki.wScan = static_cast<WORD>(scan & 0xFF);
  input.ki.dwFlags = (key.release ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  input.ki.dwExtraInfo = kInjectionTag;
  SendInput(1, &input, sizeof input);
}

int64_t MonotonicMilliseconds() { return static_cast<int64_t>(GetTickCount64()); }

}  // namespace

InjectionWorker::InjectionWorker(OutputQueue& queue) : queue_(queue) {
  thread_.reset(CreateThread(nullptr, 0, Main, this, 0, nullptr));
}

InjectionWorker::~InjectionWorker() { Stop(); }

void InjectionWorker::Flush() {
  InjectionRequest running = InjectionRequest::Run;
  request_.compare_exchange_strong(running, InjectionRequest::Flush);
}

void InjectionWorker::Stop() {
  request_.store(InjectionRequest::Stop);
  if (thread_) {
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
  }
}

DWORD WINAPI InjectionWorker::Main(void* param) noexcept {
  auto* self = static_cast<InjectionWorker*>(param);
  const MillisecondBeat beat;
  try {
    RunInjectionLoop(
        self->queue_, [self] { return self->request_.load(); }, InjectKey, [&beat] { beat.Wait(); },
        MonotonicMilliseconds,
        [self] {
          // Back to running, unless a stop came meanwhile.
          InjectionRequest flushing = InjectionRequest::Flush;
          self->request_.compare_exchange_strong(flushing, InjectionRequest::Run);
        });
  } catch (...) {
    // A queue whose lock failed cannot be played any more; the thread ends quietly.
  }
  return 0;
}

}  // namespace orvelle

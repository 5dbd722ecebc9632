#include "engine/injection_worker_win.h"

#include "engine/injected_key.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace orvelle {
namespace {

// One key event into the system's input stream, as the real key would send it: its scan code,
// the extended flag where the key has one, and our tag so our own hooks know it. A typed code
// unit goes as the packet key that carries it, whatever the keyboard layout.
void InjectKey(const KeyInjection& key) {
  if (key.unicode) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = static_cast<WORD>(key.keyCode);
    input.ki.dwFlags = KEYEVENTF_UNICODE | (key.release ? KEYEVENTF_KEYUP : 0);
    input.ki.dwExtraInfo = kInjectionTag;
    SendInput(1, &input, sizeof input);
    return;
  }
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

int64_t MonotonicMicroseconds() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return counter.QuadPart / frequency * 1'000'000 + counter.QuadPart % frequency * 1'000'000 / frequency;
}

}  // namespace

InjectionWorker::InjectionWorker(OutputQueue& queue)
    : queue_(queue),
      wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      // Sleep would wait for the next scheduler tick, up to 15.6 ms, and a process whose windows
      // sit hidden in the tray cannot ask for a finer tick; a high-resolution timer keeps its
      // millisecond regardless.
      timer_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS)) {
  if (!timer_) timer_.reset(CreateWaitableTimerW(nullptr, FALSE, nullptr));
  if (wake_) thread_.reset(CreateThread(nullptr, 0, Main, this, 0, nullptr));
}

InjectionWorker::~InjectionWorker() { Stop(); }

void InjectionWorker::Wake() noexcept {
  if (wake_) SetEvent(wake_.get());
}

void InjectionWorker::Flush() {
  InjectionRequest running = InjectionRequest::Run;
  request_.compare_exchange_strong(running, InjectionRequest::Flush);
  Wake();
}

void InjectionWorker::Drop() {
  // A flush under way becomes a drop; a stop stays a stop.
  InjectionRequest request = request_.load();
  while ((request == InjectionRequest::Run || request == InjectionRequest::Flush) &&
         !request_.compare_exchange_weak(request, InjectionRequest::Drop)) {
  }
  Wake();
}

void InjectionWorker::Stop() {
  request_.store(InjectionRequest::Stop);
  Wake();
  if (thread_) {
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
  }
}

void InjectionWorker::Wait(std::optional<int64_t> untilUs) {
  wakeups_.fetch_add(1, std::memory_order_relaxed);
  if (!untilUs) {
    WaitForSingleObject(wake_.get(), INFINITE);
    return;
  }
  const int64_t remaining = *untilUs - MonotonicMicroseconds();
  if (remaining <= 0) return;
  LARGE_INTEGER due;
  due.QuadPart = -remaining * 10;  // 100 ns units, relative
  if (timer_ && SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE)) {
    const HANDLE handles[] = {wake_.get(), timer_.get()};
    WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    return;
  }
  WaitForSingleObject(wake_.get(), static_cast<DWORD>((remaining + 999) / 1000));
}

DWORD WINAPI InjectionWorker::Main(void* param) noexcept {
  auto* self = static_cast<InjectionWorker*>(param);
  try {
    RunInjectionLoop(
        self->queue_, [self] { return self->request_.load(); }, InjectKey,
        [self](std::optional<int64_t> until) { self->Wait(until); }, MonotonicMicroseconds,
        [self] {
          // Back to running, unless a stop came meanwhile.
          InjectionRequest request = self->request_.load();
          while ((request == InjectionRequest::Flush || request == InjectionRequest::Drop) &&
                 !self->request_.compare_exchange_weak(request, InjectionRequest::Run)) {
          }
        });
  } catch (...) {
    // A queue whose lock failed cannot be played any more; the thread ends quietly.
  }
  return 0;
}

}  // namespace orvelle

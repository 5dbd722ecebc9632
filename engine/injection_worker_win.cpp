#include "engine/injection_worker_win.h"

#include <algorithm>
#include <array>

#include "engine/injected_key.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace orvelle {
namespace {

// One key event as the real key would send it: its scan code in the keyboard layout of the
// window that takes the input, the extended flag where the key has one, and our tag so our own
// hooks know it. A typed code unit goes as the packet key that carries it, whatever the layout.
INPUT InputFor(const KeyInjection& key, HKL layout) {
  INPUT input{};
  if (key.mouse) {
    // A button or a wheel notch where the pointer is, tagged as the keys are.
    const MouseEvent mouse = MouseEventFor(key.keyCode, key.release);
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = mouse.flags;
    input.mi.mouseData = static_cast<DWORD>(mouse.data);
    input.mi.dwExtraInfo = kInjectionTag;
    return input;
  }
  input.type = INPUT_KEYBOARD;
  input.ki.dwExtraInfo = kInjectionTag;
  if (key.unicode) {
    input.ki.wScan = static_cast<WORD>(key.keyCode);
    input.ki.dwFlags = KEYEVENTF_UNICODE | (key.release ? KEYEVENTF_KEYUP : 0);
    return input;
  }
  const InjectedKey injected = InjectedKeyFor(key.keyCode);
  const KeyScan scan =
      ScanFor(injected, MapVirtualKeyExW(static_cast<UINT>(injected.virtualKey), MAPVK_VK_TO_VSC_EX, layout));
  input.ki.wVk = static_cast<WORD>(injected.virtualKey);
  input.ki.wScan = static_cast<WORD>(scan.scan);
  input.ki.dwFlags = (key.release ? KEYEVENTF_KEYUP : 0) | (scan.extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

// The events of a batch in one SendInput call, which puts them into the input stream with
// nothing of the user's or another program's between them. Returns how many the system inserted:
// fewer (none, in practice) when input to the window in front is blocked, as for a program that
// runs with more rights than ours; the system tells no more than that.
size_t InjectBatch(const InjectionBatch& batch) {
  // Scan codes are the foreground thread's layout's, not this worker's: the two differ when the
  // user switched the layout of the window they type in.
  const HKL layout = GetKeyboardLayout(GetWindowThreadProcessId(GetForegroundWindow(), nullptr));
  std::array<INPUT, InjectionBatch::kMaxEvents> inputs{};
  UINT count = 0;
  for (const KeyInjection& key : batch) inputs[count++] = InputFor(key, layout);
  return SendInput(count, inputs.data(), sizeof(INPUT));
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

constexpr uint64_t kKindBits = 2;
constexpr uint64_t kKindMask = (1u << kKindBits) - 1;
constexpr uint64_t kMarkEverything = UINT64_MAX >> kKindBits;

uint64_t Pack(const WorkerRequest& request) {
  const uint64_t mark = request.before >= kMarkEverything ? kMarkEverything : request.before;
  return mark << kKindBits | static_cast<uint64_t>(request.kind);
}

WorkerRequest Unpack(uint64_t word) {
  const uint64_t mark = word >> kKindBits;
  return {static_cast<InjectionRequest>(word & kKindMask), mark == kMarkEverything ? WorkerRequest::kEverything : mark};
}

}  // namespace

static_assert(static_cast<uint64_t>(InjectionRequest::Stop) <= kKindMask && InjectionRequest::Run < InjectionRequest::Flush &&
              InjectionRequest::Flush < InjectionRequest::Drop && InjectionRequest::Drop < InjectionRequest::Stop);

InjectionWorker::InjectionWorker(OutputQueue& queue)
    : queue_(queue),
      wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      // Sleep would wait for the next scheduler tick, up to 15.6 ms, and a process whose windows
      // sit hidden in the tray cannot ask for a finer tick; a high-resolution timer keeps its
      // millisecond regardless.
      timer_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS)) {
  if (!timer_) timer_.reset(CreateWaitableTimerW(nullptr, FALSE, nullptr));
  if (wake_) thread_.reset(CreateThread(nullptr, 0, Main, this, 0, nullptr));
  // Played keys keep their pace while the user interface is busy; the hook thread stands higher
  // still, so that a key is decided on before the worker plays it.
  if (thread_) SetThreadPriority(thread_.get(), THREAD_PRIORITY_ABOVE_NORMAL);
}

InjectionWorker::~InjectionWorker() { Stop(); }

void InjectionWorker::Wake() noexcept {
  if (wake_) SetEvent(wake_.get());
}

void InjectionWorker::Ask(InjectionRequest kind, uint64_t before) noexcept {
  uint64_t word = request_.load();
  for (;;) {
    const WorkerRequest waiting = Unpack(word);
    WorkerRequest next{std::max(waiting.kind, kind), before};
    if (waiting.kind != InjectionRequest::Run) next.before = std::max(waiting.before, before);
    if (request_.compare_exchange_weak(word, Pack(next))) break;
  }
  Wake();
}

void InjectionWorker::RetryPendingReleases() noexcept {
  retryAsked_.store(true);
  Wake();
}

size_t InjectionWorker::Inject(const InjectionBatch& batch) noexcept {
  // A staged failure counts whole calls, as the system refuses them.
  for (int left = failNext_.load(); left > 0;) {
    if (failNext_.compare_exchange_weak(left, left - 1)) return 0;
  }
  return InjectBatch(batch);
}

void InjectionWorker::Flush() { Ask(InjectionRequest::Flush, queue_.Mark()); }

void InjectionWorker::Drop() { Ask(InjectionRequest::Drop, queue_.Mark()); }

void InjectionWorker::Stop() {
  Ask(InjectionRequest::Stop, WorkerRequest::kEverything);
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
  uint64_t read = 0;  // the request as the loop last read it
  try {
    RunInjectionLoop(
        self->queue_,
        [self, &read] {
          read = self->request_.load();
          WorkerRequest request = Unpack(read);
          request.retryReleases = self->retryAsked_.exchange(false);
          return request;
        },
        [self](const InjectionBatch& batch) { return self->Inject(batch); },
        [self](std::optional<int64_t> until) { self->Wait(until); }, MonotonicMicroseconds,
        [self, &read] {
          // Back to running, unless another request came meanwhile.
          self->request_.compare_exchange_strong(read, Pack(InjectionRequest::Run));
        },
        self->pending_);
  } catch (...) {
    // A queue whose lock failed cannot be played any more; the thread ends quietly.
  }
  return 0;
}

}  // namespace orvelle

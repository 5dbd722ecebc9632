#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "engine/injection.h"
#include "engine/output_queue.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The thread that plays what the remap hook queues, through SendInput, every event tagged as
// ours. It sleeps on an event while there is nothing to play, and wakes on a high-resolution
// timer only while something plays, when the next event falls due. Started by the constructor;
// the destructor stops it (what is queued plays for up to 200 ms, then every key it holds is
// released) and waits for it, so the queue it reads outlives it.
class InjectionWorker {
 public:
  explicit InjectionWorker(OutputQueue& queue);
  ~InjectionWorker();
  InjectionWorker(const InjectionWorker&) = delete;
  InjectionWorker& operator=(const InjectionWorker&) = delete;

  // A command was queued. Called from the remap hook: it only signals an event.
  void Wake() noexcept;
  // The remap hook is gone: what is queued plays for up to 200 ms, the rest is dropped, and every
  // key the worker holds down is released. The worker runs on. Returns at once.
  void Flush();
  // The user left the desktop or came back: as Flush, but what is queued is dropped and what
  // plays stops at once, and every key the worker holds is released. Returns at once.
  void Drop();
  // What the destructor does first; waits for the thread. Safe to call more than once.
  void Stop();
  // How often the worker has woken up since it started (for the idle figures of the tests).
  uint64_t wakeups() const { return wakeups_.load(std::memory_order_relaxed); }

 private:
  static DWORD WINAPI Main(void* self) noexcept;
  void Wait(std::optional<int64_t> untilUs);

  OutputQueue& queue_;
  std::atomic<InjectionRequest> request_{InjectionRequest::Run};
  std::atomic<uint64_t> wakeups_{0};
  UniqueHandle wake_;   // auto-reset: a command or a request came
  UniqueHandle timer_;  // high-resolution, one-shot: the next event falls due
  UniqueHandle thread_;
};

}  // namespace orvelle

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
  // What is queued now and what plays now (the mark: OutputQueue::Mark) plays for up to 200 ms,
  // the rest of it is dropped, and every key it holds down is released; what is queued after
  // this call plays on. The worker runs on. Returns at once, waits for nothing.
  void Flush();
  // The user left the desktop or came back: as Flush, but what is queued and plays now stops at
  // once, and every key it holds is released. Returns at once.
  void Drop();
  // What the destructor does first; waits for the thread. Safe to call more than once.
  void Stop();
  // Releases that did not go out (the window in front refused our input) are tried again now;
  // returns at once. For a foreground change or a key event that passed the hook.
  void RetryPendingReleases() noexcept;
  // Whether a release is waiting to go out again; cheap enough for the hook.
  bool releasesPending() const noexcept { return pending_.waiting(); }
  // The test twin's command: the next `count` SendInput calls insert nothing, as for a window in
  // front whose program runs with more rights than ours.
  void FailNextInjections(int count) noexcept { failNext_.store(count > 0 ? count : 0); }
  int injectionsToFail() const noexcept { return failNext_.load(); }
  // How often the worker has woken up since it started (for the idle figures of the tests).
  uint64_t wakeups() const { return wakeups_.load(std::memory_order_relaxed); }

 private:
  static DWORD WINAPI Main(void* self) noexcept;
  void Wait(std::optional<int64_t> untilUs);
  // Asks for `kind` with its mark; a request already waiting keeps the stronger kind and the
  // later mark.
  void Ask(InjectionRequest kind, uint64_t before) noexcept;
  // Sends a batch in one SendInput call; how many of its events the system took.
  size_t Inject(const InjectionBatch& batch) noexcept;

  OutputQueue& queue_;
  // A WorkerRequest in one word, so that the hook can ask without a lock: the kind in the low
  // two bits, the mark above them (all ones: everything).
  std::atomic<uint64_t> request_{0};
  std::atomic<uint64_t> wakeups_{0};
  std::atomic<bool> retryAsked_{false};
  std::atomic<int> failNext_{0};
  PendingReleases pending_;  // the worker thread's; its flag is read by the hook
  UniqueHandle wake_;   // auto-reset: a command or a request came
  UniqueHandle timer_;  // high-resolution, one-shot: the next event falls due
  UniqueHandle thread_;
};

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <atomic>

#include "engine/injection.h"
#include "engine/output_queue.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The thread that plays the output queue back: one key event per cycle through SendInput, one
// cycle per millisecond, every event tagged as ours. Started by the constructor; the destructor
// stops it (what is queued plays for up to 200 ms, then every key it holds is released) and waits
// for it, so the queue it reads outlives it.
class InjectionWorker {
 public:
  explicit InjectionWorker(OutputQueue& queue);
  ~InjectionWorker();
  InjectionWorker(const InjectionWorker&) = delete;
  InjectionWorker& operator=(const InjectionWorker&) = delete;

  // The remap hook is gone: what is queued plays for up to 200 ms, the rest is dropped, and every
  // key the worker holds down is released. The worker runs on. Returns at once.
  void Flush();
  // What the destructor does first; waits for the thread. Safe to call more than once.
  void Stop();

 private:
  static DWORD WINAPI Main(void* self) noexcept;

  OutputQueue& queue_;
  std::atomic<InjectionRequest> request_{InjectionRequest::Run};
  UniqueHandle thread_;
};

}  // namespace orvelle

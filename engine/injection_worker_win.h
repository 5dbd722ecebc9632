#pragma once

#include <windows.h>

#include <atomic>

#include "engine/output_queue.h"

namespace orvelle {

// The thread that plays the output queue back: one key event per cycle through keybd_event, one
// cycle per millisecond. Started by the constructor; the destructor asks it to stop and
// waits for it, so the queue it reads outlives it.
class InjectionWorker {
 public:
  explicit InjectionWorker(OutputQueue& queue);
  ~InjectionWorker();
  InjectionWorker(const InjectionWorker&) = delete;
  InjectionWorker& operator=(const InjectionWorker&) = delete;

  // Whether the pause uses a high-resolution timer (Sleep(1) otherwise).
  bool precisePause() const { return precisePause_; }

 private:
  static DWORD WINAPI InjectionWorkerMain(void* self) noexcept;

  OutputQueue& queue_;
  // The thread that is to run as the worker; 0 asks it to stop.
  std::atomic<DWORD> workerIdentity_{0};
  HANDLE thread_ = nullptr;
  std::atomic<bool> precisePause_{false};
};

}  // namespace orvelle

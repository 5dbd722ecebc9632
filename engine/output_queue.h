#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "model/key_table.h"

namespace orvelle {

// One queued injection: key code in bits 0..14, bit 15 set for a release.
using OutputEvent = int32_t;
inline constexpr OutputEvent kReleaseBit = 0x8000;
inline constexpr OutputEvent kKeyCodeMask = 0x7FFF;

// Room for a few hundred long macros; a hook that would need more is producing runaway output.
inline constexpr size_t kOutputQueueCapacity = 4096;


// The first-in, first-out queue between the remap hook and the injection worker, guarded by one
// mutex that is held for one append of a whole sequence or one removal. It is a ring buffer of
// fixed capacity allocated by the constructor, so the hook's append never allocates; a sequence
// that does not fit is dropped whole rather than cut short, which could leave keys held down.
// Every member that takes the mutex may throw std::system_error if locking fails (in theory;
// nothing else here throws); the hook's caller catches it.
class OutputQueue {
 public:
  explicit OutputQueue(size_t capacity = kOutputQueueCapacity);
  OutputQueue(const OutputQueue&) = delete;
  OutputQueue& operator=(const OutputQueue&) = delete;

  // Appends every event in order while holding the mutex once, so the events of two key
  // releases never interleave; false, appending nothing, when they do not all fit.
  bool AppendSequence(std::span<const OutputEvent> events);
  // Presses of every code, then releases of every code, in sequence order, each code passed
  // through `translate` (the same NumLock reading serves both halves); translated codes the
  // queue does not take are skipped. False, appending nothing, when they do not all fit.
  template <typename Translate>
  bool AppendPressesThenReleases(std::span<const int> codes, Translate translate);
  // The front event, removed; 0 when the queue is empty.
  OutputEvent PopOutputEvent();
  // Drops every queued event; returns how many there were.
  size_t Clear();
  size_t size() const;
  size_t capacity() const noexcept { return capacity_; }

 private:
  bool HasRoomLocked(size_t events) const noexcept { return events <= capacity_ - count_; }
  void PushLocked(OutputEvent event) noexcept {
    size_t tail = head_ + count_;
    if (tail >= capacity_) tail -= capacity_;
    buffer_[tail] = event;
    ++count_;
  }

  mutable std::mutex mutex_;
  const size_t capacity_;
  const std::unique_ptr<OutputEvent[]> buffer_;
  size_t head_ = 0;
  size_t count_ = 0;
};

template <typename Translate>
bool OutputQueue::AppendPressesThenReleases(std::span<const int> codes, Translate translate) {
  size_t queueable = 0;
  for (int code : codes) queueable += IsSendableKeyCode(translate(code)) ? 1 : 0;
  std::lock_guard lock(mutex_);
  if (!HasRoomLocked(queueable * 2)) return false;
  for (int code : codes) {
    if (const int sent = translate(code); IsSendableKeyCode(sent)) PushLocked(sent);
  }
  for (int code : codes) {
    if (const int sent = translate(code); IsSendableKeyCode(sent)) PushLocked(sent | kReleaseBit);
  }
  return true;
}

}  // namespace orvelle

#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace orvelle {

// One queued injection: key code in bits 0..14, bit 15 set for a release.
using OutputEvent = int32_t;
inline constexpr OutputEvent kReleaseBit = 0x8000;
inline constexpr OutputEvent kKeyCodeMask = 0x7FFF;

// The first-in, first-out queue between the remap hook and the injection worker, guarded by one
// mutex that is held for one append of a whole sequence or one removal. It is a ring buffer that
// only grows when full, so the hook's append does not allocate in the steady state.
class OutputQueue {
 public:
  explicit OutputQueue(size_t initialCapacity = 1024);
  OutputQueue(const OutputQueue&) = delete;
  OutputQueue& operator=(const OutputQueue&) = delete;

  // Appends every event in order while holding the mutex once, so the events of two key
  // releases never interleave.
  void AppendSequence(std::span<const OutputEvent> events);
  // Presses of every code, then releases of every code, in sequence order, each code passed
  // through `translate` once (the same NumLock reading serves both halves).
  template <typename Translate>
  void AppendPressesThenReleases(std::span<const int> codes, Translate translate);
  // The front event, removed; 0 when the queue is empty.
  OutputEvent PopOutputEvent();
  size_t size() const;

 private:
  void ReserveLocked(size_t extra);
  void PushLocked(OutputEvent event) {
    buffer_[(head_ + count_) & (capacity_ - 1)] = event;
    ++count_;
  }

  mutable std::mutex mutex_;
  std::unique_ptr<OutputEvent[]> buffer_;
  size_t capacity_;  // a power of two
  size_t head_ = 0;
  size_t count_ = 0;
};

template <typename Translate>
void OutputQueue::AppendPressesThenReleases(std::span<const int> codes, Translate translate) {
  std::lock_guard lock(mutex_);
  ReserveLocked(codes.size() * 2);
  // Codes from a hand-edited file may be anything; only bits 0..14 ever reach the queue.
  for (int code : codes) PushLocked(translate(code) & kKeyCodeMask);
  for (int code : codes) PushLocked((translate(code) & kKeyCodeMask) | kReleaseBit);
}

}  // namespace orvelle

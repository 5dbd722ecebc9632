#include "engine/output_queue.h"

#include <bit>

namespace orvelle {

OutputQueue::OutputQueue(size_t initialCapacity)
    : capacity_(std::bit_ceil(initialCapacity < 2 ? size_t{2} : initialCapacity)) {
  buffer_ = std::make_unique<OutputEvent[]>(capacity_);
}

void OutputQueue::ReserveLocked(size_t extra) {
  if (count_ + extra <= capacity_) return;
  // Growing is the one allocation on the hook's path, and only when the worker has fallen a
  // whole buffer behind.
  const size_t grown = std::bit_ceil(count_ + extra);
  auto bigger = std::make_unique<OutputEvent[]>(grown);
  for (size_t i = 0; i < count_; ++i) bigger[i] = buffer_[(head_ + i) & (capacity_ - 1)];
  buffer_ = std::move(bigger);
  capacity_ = grown;
  head_ = 0;
}

void OutputQueue::AppendSequence(std::span<const OutputEvent> events) {
  std::lock_guard lock(mutex_);
  ReserveLocked(events.size());
  for (OutputEvent event : events) PushLocked(event);
}

OutputEvent OutputQueue::PopOutputEvent() {
  std::lock_guard lock(mutex_);
  if (count_ == 0) return 0;
  const OutputEvent event = buffer_[head_];
  head_ = (head_ + 1) & (capacity_ - 1);
  --count_;
  return event;
}

size_t OutputQueue::size() const {
  std::lock_guard lock(mutex_);
  return count_;
}

}  // namespace orvelle

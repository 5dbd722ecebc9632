#include "engine/output_queue.h"

namespace orvelle {

OutputQueue::OutputQueue(size_t capacity) : capacity_(capacity), buffer_(std::make_unique<OutputEvent[]>(capacity)) {}

bool OutputQueue::AppendSequence(std::span<const OutputEvent> events) {
  std::lock_guard lock(mutex_);
  if (!HasRoomLocked(events.size())) return false;
  for (OutputEvent event : events) PushLocked(event);
  return true;
}

OutputEvent OutputQueue::PopOutputEvent() {
  std::lock_guard lock(mutex_);
  if (count_ == 0) return 0;
  const OutputEvent event = buffer_[head_];
  if (++head_ == capacity_) head_ = 0;
  --count_;
  return event;
}

size_t OutputQueue::Clear() {
  std::lock_guard lock(mutex_);
  const size_t dropped = count_;
  head_ = 0;
  count_ = 0;
  return dropped;
}

size_t OutputQueue::size() const {
  std::lock_guard lock(mutex_);
  return count_;
}

}  // namespace orvelle

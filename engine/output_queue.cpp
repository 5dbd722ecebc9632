#include "engine/output_queue.h"

namespace orvelle {

OutputQueue::OutputQueue(size_t capacity)
    : capacity_(capacity < 1 ? 1 : capacity),
      startCapacity_(capacity_ - capacity_ / 4),
      slots_(std::make_unique<OutputCommand[]>(capacity_)) {}

bool OutputQueue::Push(const OutputCommand& command) {
  std::lock_guard lock(mutex_);
  const size_t keySlot = static_cast<size_t>(command.key) & 0xFF;
  const bool repeat = command.kind == OutputCommand::Kind::Repeat;
  if (repeat && repeatWaiting_[keySlot]) return true;
  if (count_ >= (EndsPlayback(command.kind) ? capacity_ : startCapacity_)) return false;
  size_t tail = head_ + count_;
  if (tail >= capacity_) tail -= capacity_;
  slots_[tail] = command;
  slots_[tail].sequence = pushed_++;
  ++count_;
  if (repeat) repeatWaiting_.set(keySlot);
  return true;
}

bool OutputQueue::Pop(OutputCommand& command) {
  std::lock_guard lock(mutex_);
  if (count_ == 0) return false;
  command = std::move(slots_[head_]);
  slots_[head_].program.reset();
  head_ = head_ + 1 == capacity_ ? 0 : head_ + 1;
  --count_;
  if (command.kind == OutputCommand::Kind::Repeat) repeatWaiting_.reset(static_cast<size_t>(command.key) & 0xFF);
  return true;
}

size_t OutputQueue::Clear() {
  std::lock_guard lock(mutex_);
  const size_t dropped = count_;
  for (size_t i = 0; i < count_; ++i) slots_[(head_ + i) % capacity_].program.reset();
  head_ = count_ = 0;
  repeatWaiting_.reset();
  return dropped;
}

size_t OutputQueue::size() const {
  std::lock_guard lock(mutex_);
  return count_;
}

uint64_t OutputQueue::Mark() const {
  std::lock_guard lock(mutex_);
  return pushed_;
}

}  // namespace orvelle

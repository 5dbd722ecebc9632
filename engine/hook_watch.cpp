#include "engine/hook_watch.h"

namespace orvelle {
namespace {

// Tick counts wrap every 49.7 days; unsigned differences do not care.
uint32_t Distance(uint32_t a, uint32_t b) noexcept { return a - b < b - a ? a - b : b - a; }

}  // namespace

void HookWatch::Ring::Push(const Event& event) noexcept {
  if (count == kCapacity) {
    oldest = (oldest + 1) % kCapacity;
    --count;
  }
  events[(oldest + count) % kCapacity] = event;
  ++count;
}

size_t HookWatch::Ring::Find(const Event& event) const noexcept {
  for (size_t i = 0; i < count; ++i) {
    const Event& e = At(i);
    if (e.scanCode == event.scanCode && e.release == event.release &&
        Distance(e.time, event.time) <= kHookWatchWindowMs) {
      return i;
    }
  }
  return count;
}

void HookWatch::Ring::Erase(size_t i) noexcept {
  for (; i + 1 < count; ++i) At(i) = At(i + 1);
  --count;
}

void HookWatch::Ring::DropThrough(size_t i) noexcept {
  oldest = (oldest + i + 1) % kCapacity;
  count -= i + 1;
}

void HookWatch::OnHookEvent(uint32_t scanCode, bool release, uint32_t time) noexcept {
  const Event event{scanCode, time, 0, release};
  const size_t waiting = raws_.Find(event);
  if (waiting < raws_.count) {
    raws_.Erase(waiting);  // its raw report came first
    Matched();
    return;
  }
  hooked_.Push(event);
}

void HookWatch::OnRawEvent(uint32_t makeCode, bool release, uint32_t messageTime, uint32_t now) noexcept {
  const Event event{makeCode, messageTime, now, release};
  const size_t seen = hooked_.Find(event);
  if (seen == hooked_.count) {
    raws_.Push(event);  // the hook may still be called for it, or may be gone
    return;
  }
  // The match is used up, and so is everything the hook saw before it: raw input keeps the
  // hook's order, so those were swallowed and will never be reported. Left in place, they could
  // pass for the events of a later keystroke after the hook is gone.
  hooked_.DropThrough(seen);
  Matched();
}

bool HookWatch::Lost(uint32_t now) const noexcept {
  for (size_t i = 0; i < raws_.count; ++i) {
    if (now - raws_.At(i).arrived > kHookGraceMs) return true;
  }
  return false;
}

bool HookWatch::MayReinstall(uint32_t now) noexcept {
  // nextReinstall_ holds the oldest of the last kReinstallBudget reinstalls once there are that
  // many: with it inside the window, one more is too many.
  if (!spent_ && reinstalls_ >= kReinstallBudget && now - reinstallTimes_[nextReinstall_] <= kReinstallWindowMs) {
    spent_ = true;
  }
  if (spent_) {
    raws_ = Ring{};
    return false;
  }
  reinstallTimes_[nextReinstall_] = now;
  nextReinstall_ = (nextReinstall_ + 1) % reinstallTimes_.size();
  if (reinstalls_ < kReinstallBudget) ++reinstalls_;
  return true;
}

void HookWatch::Matched() noexcept {
  reinstalls_ = 0;
  nextReinstall_ = 0;
  spent_ = false;
}

void HookWatch::Reset() noexcept {
  hooked_ = Ring{};
  raws_ = Ring{};
}

std::bitset<256> HookWatch::MissedReleases() const noexcept {
  std::bitset<256> released;
  for (size_t i = 0; i < raws_.count; ++i) {
    const Event& event = raws_.At(i);
    if (event.release) released.set(event.scanCode & 0xFF);
  }
  return released;
}

}  // namespace orvelle

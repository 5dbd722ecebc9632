#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

namespace orvelle {

// How far apart (ms) the hook's time and raw input's message time of one event may lie.
inline constexpr uint32_t kHookWatchWindowMs = 2000;
// How long (ms) a raw event may wait for the hook to report the same event before the hook
// counts as lost.
inline constexpr uint32_t kHookGraceMs = 300;

// How often a lost hook is put back before the watch stops believing it: at most
// kReinstallBudget reinstalls within kReinstallWindowMs without the hook matching an event in
// between. A hook the system installs but does not call (while the window in front belongs to a
// program with more rights than ours, raw input may still report keys no hook of ours is shown)
// would otherwise be put back at every keystroke.
inline constexpr int kReinstallBudget = 3;
inline constexpr uint32_t kReinstallWindowMs = 10'000;

// Notices that the system has removed the remap hook. Every key event reaches both the hook and
// raw input, and a raw event the hook never sees means the hook is gone. The two halves of an
// event come in either order: the system calls the hooks before it reports raw input, but some
// hosts post the raw message first when another program's hook stands in front of ours. So each
// half waits for the other: a hook event for its raw report (events the hook swallowed may never
// be reported, so these give way to later ones), a raw event for its hook event (for
// kHookGraceMs, after which the hook is lost).
// Every call comes from the hook's thread; none allocates.
class HookWatch {
 public:
  static constexpr size_t kCapacity = 64;

  // Every event the remap hook sees, injected or not, passed or swallowed. `time` is the event's
  // 32-bit millisecond tick count.
  void OnHookEvent(uint32_t scanCode, bool release, uint32_t time) noexcept;
  // Every raw keyboard event, with its message time and the tick count now.
  void OnRawEvent(uint32_t makeCode, bool release, uint32_t messageTime, uint32_t now) noexcept;
  // True when a raw event has waited longer than kHookGraceMs for the hook: the hook is lost.
  bool Lost(uint32_t now) const noexcept;
  // Raw events are waiting for the hook: ask Lost again once kHookGraceMs has passed.
  bool waiting() const noexcept { return raws_.count != 0; }
  // The hook is lost (Lost): whether to put it back now. Yes while the budget allows, and the
  // reinstall is counted. Past the budget, no: the raw events waited for are given up, and the
  // hook is not put back until it is called for an event raw input reports too (which fills the
  // budget again), however many raw events it misses meanwhile.
  bool MayReinstall(uint32_t now) noexcept;
  // Forgets every event: the hook has been installed again, or watching resumes. The budget
  // stays.
  void Reset() noexcept;
  // The scan codes (low byte) of the releases raw input reported and the hook never saw: keys let
  // go of while the hook was gone.
  std::bitset<256> MissedReleases() const noexcept;

 private:
  struct Event {
    uint32_t scanCode;
    uint32_t time;     // the event's time
    uint32_t arrived;  // raw events: the tick count when the report came
    bool release;
  };
  // Events in the order they came; when full, the oldest gives way.
  struct Ring {
    std::array<Event, kCapacity> events{};
    size_t oldest = 0;
    size_t count = 0;
    void Push(const Event& event) noexcept;
    Event& At(size_t i) noexcept { return events[(oldest + i) % kCapacity]; }
    const Event& At(size_t i) const noexcept { return events[(oldest + i) % kCapacity]; }
    // Position of the oldest event that is the same key event as `event`, or `count`.
    size_t Find(const Event& event) const noexcept;
    void Erase(size_t i) noexcept;
    // Drops the events up to and including position `i`.
    void DropThrough(size_t i) noexcept;
  };

  // The hook matched an event raw input reported: it works, the budget is whole again.
  void Matched() noexcept;

  Ring hooked_;  // seen by the hook, not yet reported by raw input
  Ring raws_;    // reported by raw input, not yet seen by the hook
  // Tick counts of the latest kReinstallBudget reinstalls since the last match, in a ring whose
  // next slot is nextReinstall_; reinstalls_ counts them up to the budget.
  std::array<uint32_t, kReinstallBudget> reinstallTimes_{};
  size_t nextReinstall_ = 0;
  int reinstalls_ = 0;
  bool spent_ = false;  // waiting for a match: no reinstall until then
};

}  // namespace orvelle

#pragma once

#include <array>
#include <atomic>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/output_queue.h"

namespace orvelle {

// One key event for the system's input; a unicode one types `keyCode`, a UTF-16 code unit.
// A mouse one (`mouse`) is a button of MouseAction `keyCode` going down or up, or a notch of the
// wheel (never released).
struct KeyInjection {
  int keyCode;
  bool release;
  bool unicode = false;
  bool mouse = false;
  bool operator==(const KeyInjection&) const = default;
};

// Events that go to the system in one call: nothing another program or the user sends can come
// between them.
struct InjectionBatch {
  static constexpr size_t kMaxEvents = 4;
  std::array<KeyInjection, kMaxEvents> events{};
  size_t size = 0;
  const KeyInjection* begin() const { return events.data(); }
  const KeyInjection* end() const { return events.data() + size; }
};

// How many of `steps`, from `at` on, go out in one batch: the four of a character typed as a
// surrogate pair (its high unit down, either unit's events in order, its low unit up, none of
// them delayed), so that no program reads half a character; one for any other step.
size_t StepsTogether(const std::vector<ProgramStep>& steps, size_t at);

// Releases that did not go out. The system inserts none of our events while the window in front
// belongs to a program with more rights than ours (SendInput then inserts fewer events than it was
// given, and says no more), and a key whose release was lost stays down for every program. So the
// worker keeps each such release until one goes out, and tries again (Retry) when there is a
// reason to believe the system takes input again: before its next injection, at the next command
// of the hook and when asked (the foreground changed, a key event passed the hook). A press that
// goes out later for the same key or unit hands it to its playback, which lets go of it itself.
// Used on the worker's thread; `waiting()` may be read from any thread.
class PendingReleases {
 public:
  // What became of `batch`: its first `sent` events went out, the rest did not.
  void Record(const InjectionBatch& batch, size_t sent);
  bool waiting() const noexcept { return waiting_.load(std::memory_order_relaxed); }
  // Sends every pending release through `inject` (InjectionBatch in, how many of its events went
  // out), a unit a text left down first, then the keys in ascending code order, and stops at the
  // first batch that does not go out whole: the system refuses for now, the rest waits with it.
  template <typename Inject>
  void Retry(Inject&& inject) {
    while (waiting()) {
      const InjectionBatch batch = First();
      const size_t sent = inject(batch);
      Record(batch, sent);
      if (sent < batch.size) return;
    }
  }

 private:
  InjectionBatch First() const;

  std::bitset<256> keys_;
  std::bitset<8> buttons_;  // mouse buttons, by MouseAction
  std::vector<int> units_;  // typed code units, each once
  std::atomic<bool> waiting_{false};
};

// The spacing between two injected events, in microseconds: events that fall due together still
// leave one after another, in the order they were queued.
inline constexpr int64_t kInjectionSpacingUs = 1000;

// Plays what the remap hook asks for. Every command starts, feeds or ends a playback, and each
// playback runs on a timeline of its own: a five-second timed macro never holds up another key's
// output. The player remembers the keys it holds down, each playback's and all together, so
// that whatever ends a playback (its end, its key's release, its key pressed again, the program
// leaving) lets go of every key it pressed. Time is the caller's monotonic clock in microseconds;
// nothing here reads a clock, sleeps or touches the system.
class Player {
 public:
  void Take(OutputCommand command, int64_t now);
  // The events due at `now`, if any: the playback whose next event is due earliest goes first
  // (ties: the one started first), and never sooner than kInjectionSpacingUs after the last. One
  // event, or the steps that go together (StepsTogether), which count as one for the spacing.
  std::optional<InjectionBatch> Next(int64_t now);
  // The events Next gave last went into the system's input at `at`: a minimum hold after them
  // (ProgramStep::minimumHold) counts from then.
  void WentOut(int64_t at);
  // When Next will have something to give; nothing while there is nothing to play (no playback,
  // or only held keys waiting for their release).
  std::optional<int64_t> NextWake(int64_t now);
  // Every playback started by a command before `before` (OutputCommand::sequence; by default all
  // of them) stops where it is, and what it holds down is released from `now` on as the next
  // events: a unit a text left down and a mouse button first, then the keys in ascending code
  // order. Keys that a
  // later playback holds too stay down for it; playbacks started later play on.
  void Abandon(int64_t now, uint64_t before = UINT64_MAX);
  // Whether a playback started by a command before `before` still has something to play (held
  // keys waiting for their release do not count).
  bool Playing(int64_t now, uint64_t before = UINT64_MAX);

 private:
  struct Playback {
    enum class Mode : uint8_t { Once, Held, Looping };
    int key = 0;
    Mode mode = Mode::Once;
    SharedProgram program;
    bool numLockOn = true;
    size_t step = 0;       // the next step of the current pass
    int passesLeft = 1;    // Once: passes still to start after the current one
    int repeats = 0;       // Held: auto-repeat presses still to play
    bool ending = false;   // releasing what it pressed, then done
    bool holdFromWentOut = false;  // its next step is a minimum hold after the events that went last
    int64_t due = 0;       // when its next event may play
    int64_t passStart = 0;  // when the current pass was due to start (a program with a period)
    uint64_t sequence = 0; // of the command that started it
    std::vector<int> pressed;  // keys it pressed and has not released, in press order (see Pressed)
  };
  struct Event {
    int code;
    bool down;
    bool unicode = false;
    bool mouse = false;
  };
  // How a playback remembers what it pressed: a key code, a typed code unit or a mouse button
  // above every key code, so that a text cut short still lets go of the unit it pressed and a
  // mouse key of its button.
  static constexpr int kUnicodeMark = 0x10000;
  static constexpr int kMouseMark = 0x20000;
  static constexpr int kMarks = kUnicodeMark | kMouseMark;
  static int Pressed(const Event& event) {
    return event.unicode ? kUnicodeMark | event.code : event.mouse ? kMouseMark | event.code : event.code;
  }
  static Event Release(int pressed) {
    return Event{pressed & ~kMarks, false, (pressed & kUnicodeMark) != 0, (pressed & kMouseMark) != 0};
  }

  // Moves a playback whose pass is over on: into its next pass or loop, or into letting go of
  // what it pressed.
  static void Settle(Playback& playback);
  // The playback's next event; nothing when it has none (done, or held and waiting).
  static std::optional<Event> Peek(const Playback& playback);
  void Prune();
  void Advance(Playback& playback, const Event& event);
  void End(Playback& playback, int64_t now);
  Playback* Find(int key, bool (*which)(const Playback&));

  std::vector<Playback> playbacks_;  // in the order they started
  std::bitset<256> held_;            // keys down as injected, whoever pressed them; typed units and buttons not counted
  std::bitset<256> skipNextPlay_;    // a macro stopped by its key's press: that press's release starts nothing
  std::array<uint64_t, 256> skipSequence_{};  // ... the sequence of that press's command
  int64_t lastInjection_ = INT64_MIN / 2;
};

}  // namespace orvelle

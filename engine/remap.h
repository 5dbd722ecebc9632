#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

#include "engine/output_queue.h"
#include "engine/program.h"

namespace orvelle {

// The bits of a low-level key event's flags that the remap decision reads.
inline constexpr uint32_t kFlagExtended = 0x01;
inline constexpr uint32_t kFlagInjected = 0x10;
inline constexpr uint32_t kFlagUp = 0x80;

inline constexpr int kReturnKey = 13;        // VK_RETURN
inline constexpr int kKeypadEnterKey = 108;  // VK_SEPARATOR: the keypad Enter key everywhere
inline constexpr int kNumLockKey = 0x90;     // VK_NUMLOCK

// The longest a held key leaves between two of its events: the system's longest auto-repeat
// delay is about a second (the repeats that follow come faster), with room for a busy machine.
inline constexpr uint32_t kAutoRepeatGapMs = 1500;

enum class Verdict {
  Pass,                // hand the event on unchanged (but for the keypad Enter rewrite)
  RemoveHookThenPass,  // the keyboard is gone: take the hook out, then pass
  Swallow,             // the event goes no further; a command may go to the worker
};

// What the remap hook reads: the presence state, the active profile number and what every key
// does in each of the three profiles, and whether a window of our own is in front.
struct RemapInputs {
  bool keyboardPresent = true;
  int activeProfile = 1;
  std::array<const KeyActions*, 3> actions{};
  // Our own windows take texts, paths and file names, and a key of ours must not start anything
  // there: new presses pass as they are. What keys pressed elsewhere started is let go of when
  // our window comes in front (KeyTracker::Forget).
  bool ownWindowInFront = false;
  // Remapping is paused: every new press passes but a profile key's, which still acts.
  bool paused = false;
};

struct KeyDecision {
  Verdict verdict = Verdict::Pass;
  int vkCode = 0;  // the key code as rewritten for keypad Enter
  int key = -1;    // the physical key as the tracker and the worker know it (keypad Enter is 108)
  // What the worker is to do, with the program of `action` where the command needs one.
  std::optional<OutputCommand::Kind> command;
  const KeyAction* action = nullptr;
  bool outputDropped = false;  // HandleKeyEvent: the queue had no room for the command
  // The release of a program key: the profile (1..3) whose program for the key the main window is
  // to start; 0 for every other event. The hook only passes the request on.
  int launchProfile = 0;
  // The press of a profile key: what it switches to (the hook turns a pause over itself and tells
  // the main window; the main window switches the profile). None for every other event.
  ProfileTarget profileKey = ProfileTarget::None;
};

// What the remap hook remembers between events, on the hook's thread only. Applications must see
// a release for every press they saw, and the worker must hear of every release of a key it
// holds down for the user, so the hook remembers which presses it let through, which it
// swallowed, and which it handed to the worker as a held key.
struct KeyTracker {
  std::bitset<256> down;       // pressed and not yet released, as the hook saw it; injected events not counted
  std::bitset<256> swallowed;  // the press was swallowed
  std::bitset<256> held;       // the press started a held key or a held macro: its release ends it
  std::bitset<256> repeats;    // ... a held key, whose auto-repeats press its last key again
  std::bitset<256> acted;      // the press acted itself (a profile key): its repeats and release do nothing
  // The press was swallowed before the user left the desktop (see Forget): whatever it started
  // has been let go of, so its auto-repeats and its release are swallowed and start nothing.
  std::bitset<256> forgotten;
  std::array<uint32_t, 256> lastEventMs{};  // the time of each key's last event, as the hook saw it
  // NumLock as the system sees it: toggled by every press that reaches it (injected ones too),
  // held from such a press to its release.
  bool numLockToggled = false;
  bool numLockHeld = false;

  // For a hook that has just been installed and saw no key go down: the keys the system holds
  // down (`systemDown`, by virtual-key code) went through to applications, so their auto-repeats
  // and releases must pass; every other key starts up. NumLock comes from the system's key state
  // value (low bit toggled, sign bit held).
  void Reset(int16_t numLockState, const std::bitset<256>& systemDown = {}) noexcept;
  // For the same hook installed again (to head the hook chain again, or because the system had
  // dropped it): presses it swallowed stay swallowed, so their releases still play or end what
  // they started; every other key as Reset has it. Keys the hook swallowed look up to the system,
  // which never saw them.
  void Resync(int16_t numLockState, const std::bitset<256>& systemDown) noexcept;
  // For the same hook when the user leaves the desktop or comes back (a lock, a secure desktop,
  // sleep), while the worker lets go of everything: the hook sees no event on the other side, so
  // a key swallowed before may have been let go of unseen. Such a key is forgotten: what it
  // started is over and nothing it does will start it again; a release whose press passed still
  // passes (the system holds that key). A forgotten key is pressed anew only after a pause no
  // auto-repeat leaves (kAutoRepeatGapMs): then it was let go of on the other side. Keys known to
  // have been let go of unseen (`releasedUnseen`: raw input reported their releases while the
  // hook was gone) are not forgotten but up: their next press is new at once.
  void Forget(int16_t numLockState, const std::bitset<256>& systemDown,
              const std::bitset<256>& releasedUnseen = {}) noexcept;
  // NumLock counts as on only when toggled and not held.
  bool NumLockOn() const noexcept { return numLockToggled && !numLockHeld; }
  // Whether a press at `timeMs` of the forgotten key in `slot` is one of its auto-repeats.
  bool RepeatsForgotten(size_t slot, uint32_t timeMs) const noexcept {
    return forgotten[slot] && timeMs - lastEventMs[slot] <= kAutoRepeatGapMs;
  }
  // Follows one event that the hook has decided on.
  void Record(int vkCode, uint32_t flags, uint32_t timeMs, const KeyDecision& decision) noexcept;
};

// The remap decision for one key event; touches nothing. An active profile number outside 1..3
// selects no actions and every event passes. Auto-repeats keep the verdict of their first press
// and a release is swallowed only after a swallowed press, so a key remapped (or unmapped) while
// held never stays down in an application. What a key does:
// - a tap or macro key: its press is swallowed; its release plays it (a macro key's press also
//   stops a pass of its macro still playing);
// - a held key: its press holds the sequence down, each auto-repeat presses the last key again,
//   its release lets go;
// - a held macro key: its press starts the macro looping, its release ends it;
// - a text key: as a macro key, with its text;
// - a disabled key: press and release are swallowed and nothing plays;
// - a program key: press and release are swallowed, and the release asks for its program;
// - a turbo key: its press starts the sequence tapping once per period, its release ends it;
// - a profile key: press, auto-repeats and release are swallowed, and the press asks for the
//   switch or the pause, whatever the profile says at the release.
// While remapping is paused a new press passes unless it is a profile key's, and a release whose
// press was swallowed before the pause plays nothing.
// A forgotten key's auto-repeats and release are swallowed and start nothing. While a window of
// our own is in front a new press passes whatever the profile says, and so do its auto-repeats
// and its release. `timeMs` is the
// event's time stamp (milliseconds, wrapping).
KeyDecision DecideKeyEvent(int vkCode, uint32_t flags, uint32_t timeMs, const RemapInputs& inputs,
                           const KeyTracker& keys) noexcept;

// The whole remap hook, less the call to the next hook: decides, records the event in `keys`, and
// queues the command the decision asks for, with NumLock as the hook follows it. A command the
// queue has no room for is dropped and the decision says so. Returns the decision, whose vkCode
// the caller writes back into the event record.
// Allocates nothing and waits for nothing but the queue mutex; locking it may throw
// std::system_error (nothing else here throws), so the system's hook procedure must catch.
KeyDecision HandleKeyEvent(int vkCode, uint32_t flags, uint32_t timeMs, const RemapInputs& inputs, KeyTracker& keys,
                           OutputQueue& queue);

}  // namespace orvelle

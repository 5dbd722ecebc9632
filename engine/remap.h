#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "engine/output_queue.h"
#include "model/profile_data.h"

namespace orvelle {

// The bits of a low-level key event's flags that the remap decision reads.
inline constexpr uint32_t kFlagExtended = 0x01;
inline constexpr uint32_t kFlagInjected = 0x10;
inline constexpr uint32_t kFlagUp = 0x80;

inline constexpr int kReturnKey = 13;        // VK_RETURN
inline constexpr int kKeypadEnterKey = 108;  // VK_SEPARATOR: the keypad Enter key everywhere
inline constexpr int kNumLockKey = 0x90;     // VK_NUMLOCK

enum class Verdict {
  Pass,                // hand the event on unchanged (but for the keypad Enter rewrite)
  RemoveHookThenPass,  // the keyboard is gone: take the hook out, then pass
  Swallow,             // a press or auto-repeat of a remapped key
  SwallowAndAppend,    // the release of a remapped key: queue its sequence, swallow the event
};

// What the remap hook reads: the presence state, the active profile number and the KeyMaps of
// the three profile copies.
struct RemapInputs {
  bool keyboardPresent = true;
  int activeProfile = 1;
  std::array<const KeyMap*, 3> keyMaps{};
};

struct KeyDecision {
  Verdict verdict = Verdict::Pass;
  int vkCode = 0;                            // the key code as rewritten for keypad Enter
  const OutputSequence* sequence = nullptr;  // SwallowAndAppend: what to queue
  bool outputDropped = false;                // HandleKeyEvent: the queue had no room for the sequence
};

// What the remap hook remembers between events, on the hook's thread only. Applications must see
// a release for every press they saw, so the hook remembers which presses it let through and
// which it swallowed, and a release is only ever swallowed after a swallowed press.
struct KeyTracker {
  std::bitset<256> down;       // pressed and not yet released, as the hook saw it; injected events not counted
  std::bitset<256> swallowed;  // the press was swallowed
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
  // dropped it): presses it swallowed stay swallowed, so their releases still play; every other
  // key as Reset has it. Keys the hook swallowed look up to the system, which never saw them.
  void Resync(int16_t numLockState, const std::bitset<256>& systemDown) noexcept;
  // NumLock counts as on only when toggled and not held.
  bool NumLockOn() const noexcept { return numLockToggled && !numLockHeld; }
  // Follows one event that the hook has decided on.
  void Record(int vkCode, uint32_t flags, Verdict verdict) noexcept;
};

// The remap decision for one key event; touches nothing. An active profile number outside 1..3
// selects no KeyMap and every event passes. Auto-repeats keep the verdict of their first press
// and a release is swallowed only after a swallowed press, so a key remapped (or unmapped) while
// held never stays down in an application.
KeyDecision DecideKeyEvent(int vkCode, uint32_t flags, const RemapInputs& inputs, const KeyTracker& keys) noexcept;

// The code a keypad key sends when NumLock is off; every other code unchanged.
int TranslateNumpadCode(int code, bool numLockOn) noexcept;

// The whole remap hook, less the call to the next hook: decides, records the event in `keys`, and
// for the release of a remapped key appends presses then releases under the queue mutex, keypad
// codes translated by the NumLock state the hook follows. A sequence the queue has no room for is
// dropped whole and the decision says so. Returns the decision, whose vkCode the caller writes
// back into the event record.
// Allocates nothing and waits for nothing but the queue mutex; locking it may throw
// std::system_error (nothing else here throws), so the system's hook procedure must catch.
KeyDecision HandleKeyEvent(int vkCode, uint32_t flags, const RemapInputs& inputs, KeyTracker& keys,
                           OutputQueue& queue);

}  // namespace orvelle

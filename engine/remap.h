#pragma once

#include <array>
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
  int vkCode = 0;                             // the key code as rewritten for keypad Enter
  const OutputSequence* sequence = nullptr;   // SwallowAndAppend: what to queue
};

// The remap decision for one key event; touches nothing. An active profile number outside 1..3
// selects no KeyMap and every event passes.
KeyDecision DecideKeyEvent(int vkCode, uint32_t flags, const RemapInputs& inputs);

// The code a keypad key sends when NumLock is off; every other code unchanged.
int TranslateNumpadCode(int code, bool numLockOn);

// NumLock counts as on only when the state is exactly "toggled on, key not held".
constexpr bool NumLockOn(int16_t keyState) { return keyState == 1; }

// The whole remap hook, less the call to the next hook: decides, and for the release of a
// remapped key reads NumLock once and appends presses then releases under the queue mutex.
// `readNumLock` is called at most once, only for a remapped key. Returns the decision, whose
// vkCode the caller writes back into the event record.
template <typename ReadNumLock>
KeyDecision HandleKeyEvent(int vkCode, uint32_t flags, const RemapInputs& inputs, OutputQueue& queue,
                           ReadNumLock readNumLock) {
  const KeyDecision decision = DecideKeyEvent(vkCode, flags, inputs);
  if (decision.verdict == Verdict::SwallowAndAppend) {
    const bool numLockOn = NumLockOn(readNumLock());
    queue.AppendPressesThenReleases(*decision.sequence,
                                    [numLockOn](int code) { return TranslateNumpadCode(code, numLockOn); });
  }
  return decision;
}

}  // namespace orvelle

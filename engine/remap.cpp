#include "engine/remap.h"

namespace orvelle {
namespace {

// The slot a key event has in the tracker, or -1 for a code it cannot hold. The keypad Enter key
// is 108 whatever the modifiers, so that its release with Alt held still finds its press.
int TrackedKey(int vkCode, uint32_t flags) noexcept {
  if (vkCode == kReturnKey && (flags & kFlagExtended)) return kKeypadEnterKey;
  return vkCode >= 0 && vkCode < 256 ? vkCode : -1;
}

// What the key sends instead of itself; nullptr when it sends itself: no entry, an entry of
// exactly itself, or a sequence without a single code the queue would take (a key never sends
// nothing).
const OutputSequence* Replacement(const KeyMap& keyMap, int vkCode) noexcept {
  const auto entry = keyMap.find(vkCode);
  if (entry == keyMap.end()) return nullptr;
  const OutputSequence& sequence = entry->second;
  if (sequence.size() == 1 && sequence.front() == vkCode) return nullptr;
  for (int code : sequence) {
    if (IsSendableKeyCode(code)) return &sequence;
  }
  return nullptr;
}

}  // namespace

void KeyTracker::Reset(int16_t numLockState, const std::bitset<256>& systemDown) noexcept {
  down = systemDown;
  // The system knows both Enter keys as 13; the tracker holds the keypad one as 108. A held Enter
  // may be either, and both must let their repeats and releases through.
  if (systemDown[kReturnKey]) down.set(kKeypadEnterKey);
  swallowed.reset();
  numLockToggled = (numLockState & 1) != 0;
  numLockHeld = numLockState < 0;
}

void KeyTracker::Resync(int16_t numLockState, const std::bitset<256>& systemDown) noexcept {
  const std::bitset<256> heldSwallowed = down & swallowed & ~systemDown;
  Reset(numLockState, systemDown);
  down |= heldSwallowed;
  swallowed = heldSwallowed;
}

void KeyTracker::Record(int vkCode, uint32_t flags, Verdict verdict) noexcept {
  const bool release = (flags & kFlagUp) != 0;
  const bool passed = verdict == Verdict::Pass || verdict == Verdict::RemoveHookThenPass;
  // Only what reaches the system moves its NumLock; a press while held is a repeat.
  if (vkCode == kNumLockKey && passed) {
    if (release) {
      numLockHeld = false;
    } else if (!numLockHeld) {
      numLockToggled = !numLockToggled;
      numLockHeld = true;
    }
  }
  if (flags & kFlagInjected) return;
  const int key = TrackedKey(vkCode, flags);
  if (key < 0) return;
  const auto slot = static_cast<size_t>(key);
  down.set(slot, !release);
  swallowed.set(slot, !release && !passed);
}

KeyDecision DecideKeyEvent(int vkCode, uint32_t flags, const RemapInputs& inputs, const KeyTracker& keys) noexcept {
  KeyDecision decision;
  decision.vkCode = vkCode;
  if (!inputs.keyboardPresent) {
    decision.verdict = Verdict::RemoveHookThenPass;
    return decision;
  }
  // Injected events pass through, or our own output would be translated again.
  if (flags & kFlagInjected) return decision;
  if (inputs.activeProfile < 1 || inputs.activeProfile > 3) return decision;
  const KeyMap* keyMap = inputs.keyMaps[static_cast<size_t>(inputs.activeProfile - 1)];
  if (keyMap == nullptr) return decision;

  // The keypad Enter key differs from the main one only by the extended flag; with Alt held
  // (0x20) it stays the main Enter key.
  if (vkCode == kReturnKey && (flags == kFlagExtended || flags == (kFlagExtended | kFlagUp))) {
    decision.vkCode = kKeypadEnterKey;
  }
  // A key the tracker cannot hold could not have its release matched to its press.
  const int key = TrackedKey(vkCode, flags);
  if (key < 0) return decision;
  const auto slot = static_cast<size_t>(key);

  if (!(flags & kFlagUp)) {
    // An auto-repeat keeps the verdict of its first press, whatever the profile says now.
    if (keys.down[slot]) {
      if (keys.swallowed[slot]) decision.verdict = Verdict::Swallow;
    } else if (Replacement(*keyMap, decision.vkCode) != nullptr) {
      decision.verdict = Verdict::Swallow;
    }
    return decision;
  }
  // Only a release whose press was swallowed may be swallowed: the application saw every other
  // press (or the hook never saw it), and would keep the key down without its release.
  if (!keys.down[slot] || !keys.swallowed[slot]) return decision;
  decision.sequence = Replacement(*keyMap, decision.vkCode);
  if (decision.sequence != nullptr) decision.verdict = Verdict::SwallowAndAppend;
  return decision;
}

int TranslateNumpadCode(int code, bool numLockOn) noexcept {
  if (numLockOn) return code;
  for (const KeypadPair& pair : kKeypadPairs) {
    if (pair.keypad == code) return pair.navigation;
  }
  return code;
}

KeyDecision HandleKeyEvent(int vkCode, uint32_t flags, const RemapInputs& inputs, KeyTracker& keys,
                           OutputQueue& queue) {
  KeyDecision decision = DecideKeyEvent(vkCode, flags, inputs, keys);
  keys.Record(vkCode, flags, decision.verdict);
  if (decision.verdict == Verdict::SwallowAndAppend) {
    const bool numLockOn = keys.NumLockOn();
    decision.outputDropped = !queue.AppendPressesThenReleases(
        *decision.sequence, [numLockOn](int code) { return TranslateNumpadCode(code, numLockOn); });
  }
  return decision;
}

}  // namespace orvelle

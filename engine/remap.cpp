#include "engine/remap.h"

#include "model/key_table.h"

namespace orvelle {
namespace {

// The slot a key event has in the tracker, or -1 for a code it cannot hold. The keypad Enter key
// is 108 whatever the modifiers, so that its release with Alt held still finds its press.
int TrackedKey(int vkCode, uint32_t flags) noexcept {
  if (vkCode == kReturnKey && (flags & kFlagExtended)) return kKeypadEnterKey;
  return vkCode >= 0 && vkCode < 256 ? vkCode : -1;
}

using Kind = OutputCommand::Kind;

}  // namespace

void KeyTracker::Reset(int16_t numLockState, const std::bitset<256>& systemDown) noexcept {
  down = systemDown;
  // The system knows both Enter keys as 13; the tracker holds the keypad one as 108. A held Enter
  // may be either, and both must let their repeats and releases through.
  if (systemDown[kReturnKey]) down.set(kKeypadEnterKey);
  swallowed.reset();
  held.reset();
  repeats.reset();
  acted.reset();
  forgotten.reset();
  numLockToggled = (numLockState & 1) != 0;
  numLockHeld = numLockState < 0;
}

void KeyTracker::Resync(int16_t numLockState, const std::bitset<256>& systemDown) noexcept {
  const std::bitset<256> heldSwallowed = down & swallowed & ~systemDown;
  const std::bitset<256> keptHeld = held & heldSwallowed;
  const std::bitset<256> keptRepeats = repeats & heldSwallowed;
  const std::bitset<256> keptActed = acted & heldSwallowed;
  const std::bitset<256> keptForgotten = forgotten & ~systemDown;
  Reset(numLockState, systemDown);
  down |= heldSwallowed;
  swallowed = heldSwallowed;
  held = keptHeld;
  repeats = keptRepeats;
  acted = keptActed;
  forgotten = keptForgotten;
}

void KeyTracker::Forget(int16_t numLockState, const std::bitset<256>& systemDown,
                        const std::bitset<256>& releasedUnseen) noexcept {
  // A key whose press we swallowed is ours to forget whatever the system's state says of it: the
  // system never saw it go down (Wine may show it down after a focus change all the same).
  const std::bitset<256> gone = ((down & swallowed) | forgotten) & ~releasedUnseen;
  Reset(numLockState, systemDown);
  forgotten = gone;
}

void KeyTracker::Record(int vkCode, uint32_t flags, uint32_t timeMs, const KeyDecision& decision) noexcept {
  const bool release = (flags & kFlagUp) != 0;
  const bool passed = decision.verdict != Verdict::Swallow;
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
  const bool forgottenRepeat = !release && RepeatsForgotten(slot, timeMs);
  lastEventMs[slot] = timeMs;
  if (release) {
    down.reset(slot);
    swallowed.reset(slot);
    held.reset(slot);
    repeats.reset(slot);
    acted.reset(slot);
    forgotten.reset(slot);
    return;
  }
  if (forgottenRepeat) return;
  // A forgotten key pressed after the gap is pressed anew, whatever the tracker last knew of it.
  if (forgotten[slot]) down.reset(slot);
  forgotten.reset(slot);
  if (down[slot]) return;  // an auto-repeat keeps what its first press set
  down.set(slot);
  swallowed.set(slot, !passed);
  held.set(slot, decision.command == Kind::Hold || decision.command == Kind::HoldLoop);
  // A held mouse button has nothing to press again; a wheel turns at each auto-repeat.
  repeats.set(slot, decision.command == Kind::Hold && decision.action != nullptr && decision.action->program &&
                        decision.action->program->repeatCode != 0);
  acted.set(slot, decision.profileKey != ProfileTarget::None);
}

KeyDecision DecideKeyEvent(int vkCode, uint32_t flags, uint32_t timeMs, const RemapInputs& inputs,
                           const KeyTracker& keys) noexcept {
  KeyDecision decision;
  decision.vkCode = vkCode;
  if (!inputs.keyboardPresent) {
    decision.verdict = Verdict::RemoveHookThenPass;
    return decision;
  }
  // Injected events pass through, or our own output would be translated again.
  if (flags & kFlagInjected) return decision;
  if (inputs.activeProfile < 1 || inputs.activeProfile > 3) return decision;
  const KeyActions* actions = inputs.actions[static_cast<size_t>(inputs.activeProfile - 1)];
  if (actions == nullptr) return decision;

  // The keypad Enter key differs from the main one only by the extended flag; with Alt held
  // (0x20) it stays the main Enter key.
  if (vkCode == kReturnKey && (flags == kFlagExtended || flags == (kFlagExtended | kFlagUp))) {
    decision.vkCode = kKeypadEnterKey;
  }
  // A key the tracker cannot hold could not have its release matched to its press.
  const int key = TrackedKey(vkCode, flags);
  if (key < 0 || decision.vkCode < 0 || decision.vkCode > 255) return decision;
  const auto slot = static_cast<size_t>(key);
  decision.key = key;
  const KeyAction& action = (*actions)[static_cast<size_t>(decision.vkCode)];
  // Disabled and program keys act without a program of their own.
  const bool remapped = action.kind == ActionKind::Disabled || action.kind == ActionKind::Launch ||
                        action.kind == ActionKind::Profile ||
                        (action.kind != ActionKind::Identity && action.program != nullptr);

  auto swallow = [&](std::optional<Kind> command) {
    decision.verdict = Verdict::Swallow;
    decision.command = command;
    decision.action = command ? &action : nullptr;
    return decision;
  };

  if (!(flags & kFlagUp)) {
    // What a forgotten key started is over, and holding it on does not start it again.
    if (keys.RepeatsForgotten(slot, timeMs)) return swallow(std::nullopt);
    // An auto-repeat keeps the verdict of its first press, whatever the profile says now.
    if (keys.down[slot] && !keys.forgotten[slot]) {
      if (!keys.swallowed[slot]) return decision;
      return swallow(keys.repeats[slot] ? std::optional(Kind::Repeat) : std::nullopt);
    }
    if (!remapped || inputs.ownWindowInFront) return decision;
    if (inputs.paused && action.kind != ActionKind::Profile) return decision;
    switch (action.kind) {
      case ActionKind::Hold:
        return swallow(Kind::Hold);
      case ActionKind::HoldMacro:
      case ActionKind::Turbo:
        return swallow(Kind::HoldLoop);
      case ActionKind::Profile:
        decision.profileKey = action.profileTarget;
        return swallow(std::nullopt);
      case ActionKind::Macro:
      case ActionKind::Text:
        return swallow(Kind::Interrupt);
      default:
        return swallow(std::nullopt);
    }
  }
  // The application never saw a forgotten key's press, and the worker has let go of what it
  // started.
  if (keys.forgotten[slot]) return swallow(std::nullopt);
  // Only a release whose press was swallowed may be swallowed: the application saw every other
  // press (or the hook never saw it), and would keep the key down without its release.
  if (!keys.down[slot] || !keys.swallowed[slot]) return decision;
  if (keys.acted[slot]) return swallow(std::nullopt);
  if (keys.held[slot]) return swallow(Kind::Release);
  // The pause let go of what the key would end, and nothing starts while it lasts.
  if (inputs.paused) return swallow(std::nullopt);
  // What plays is what the key does now; a key that holds only since its press plays nothing
  // and its release passes alone.
  if (!remapped) return decision;
  switch (action.kind) {
    case ActionKind::Tap:
    case ActionKind::Macro:
    case ActionKind::Text:
      return swallow(Kind::Play);
    case ActionKind::Disabled:
    case ActionKind::Profile:
      return swallow(std::nullopt);
    case ActionKind::Launch:
      decision.launchProfile = inputs.activeProfile;
      return swallow(std::nullopt);
    default:
      return decision;
  }
}

KeyDecision HandleKeyEvent(int vkCode, uint32_t flags, uint32_t timeMs, const RemapInputs& inputs, KeyTracker& keys,
                           OutputQueue& queue) {
  KeyDecision decision = DecideKeyEvent(vkCode, flags, timeMs, inputs, keys);
  keys.Record(vkCode, flags, timeMs, decision);
  if (decision.command) {
    OutputCommand command;
    command.kind = *decision.command;
    command.key = decision.key;
    command.numLockOn = keys.NumLockOn();
    if (decision.action != nullptr) command.program = decision.action->program;
    decision.outputDropped = !queue.Push(command);
  }
  return decision;
}

}  // namespace orvelle

#include "engine/remap.h"

namespace orvelle {

KeyDecision DecideKeyEvent(int vkCode, uint32_t flags, const RemapInputs& inputs) {
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
  const auto entry = keyMap->find(decision.vkCode);
  if (entry == keyMap->end()) return decision;
  const OutputSequence& sequence = entry->second;
  if (sequence.size() == 1 && sequence.front() == decision.vkCode) return decision;

  if (!(flags & kFlagUp)) {
    decision.verdict = Verdict::Swallow;
    return decision;
  }
  decision.verdict = Verdict::SwallowAndAppend;
  decision.sequence = &sequence;
  return decision;
}

int TranslateNumpadCode(int code, bool numLockOn) {
  if (numLockOn) return code;
  switch (code) {
    case 96: return 45;   // 0 -> Insert
    case 97: return 35;   // 1 -> End
    case 98: return 40;   // 2 -> Down
    case 99: return 34;   // 3 -> Page Down
    case 100: return 37;  // 4 -> Left
    case 102: return 39;  // 6 -> Right
    case 103: return 36;  // 7 -> Home
    case 104: return 38;  // 8 -> Up
    case 105: return 33;  // 9 -> Page Up
    case 110: return 46;  // . -> Delete
    default: return code;
  }
}

}  // namespace orvelle

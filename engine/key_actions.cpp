#include "engine/key_actions.h"

namespace orvelle {

KeyActions CompileActions(const ProfileData& profile, const KeyTable& table, int tapMs) {
  KeyActions actions;
  const uint32_t tap = tapMs > 0 ? static_cast<uint32_t>(tapMs) : 0;
  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    const int code = table.Entry(entry).keyCode;
    if (!IsSendableKeyCode(code)) continue;
    KeyAction& action = actions[static_cast<size_t>(code)];
    action = KeyAction{};
    const auto sends = profile.keyMap.find(code);
    if (sends == profile.keyMap.end() || sends->second.empty() ||
        (sends->second.size() == 1 && sends->second.front() == code)) {
      continue;  // the key sends itself
    }
    const KeyAssignment& record = profile.records[static_cast<size_t>(entry - 1)];
    const auto macro = profile.macroIndexMap.find(code);
    const bool playsMacro = record.kind == KindNumber(AssignKind::Macro) && macro != profile.macroIndexMap.end() &&
                            macro->second >= 0 && macro->second < static_cast<int>(profile.macroSteps.size());
    if (playsMacro) {
      action.kind = ActionKind::Macro;
      action.program = TapProgram(sends->second, tap);
    } else {
      action.kind = ActionKind::Tap;
      action.program = TapProgram(sends->second, tap);
    }
  }
  return actions;
}

}  // namespace orvelle

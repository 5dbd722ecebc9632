#include "engine/key_actions.h"

#include <algorithm>

#include "model/profile_set.h"

namespace orvelle {
namespace {

// A macro's own program: its recorded steps with their waits when it is timed, else the presses
// of its sequence as a tap.
SharedProgram MacroProgram(const ProfileData& profile, size_t macro, const OutputSequence& sends, uint32_t tapMs) {
  const int loops =
      macro < profile.macroLoops.size() ? std::clamp(profile.macroLoops[macro], 1, kMaxMacroLoops) : 1;
  if (macro < profile.macroDelays.size() && !profile.macroDelays[macro].empty()) {
    SharedProgram timed = TimedProgram(profile.macroSteps[macro], profile.macroDelays[macro], loops);
    if (!timed->steps.empty()) return timed;
  }
  return TapProgram(sends, tapMs, loops);
}

// What a Disabled, Text or Program record does. Neither is held: a text plays whole at the release
// and a program starts once, whatever the hold flag of a hand-edited file says.
KeyAction ActionOfRecord(const KeyAssignment& record) {
  switch (record.kind) {
    case KindNumber(AssignKind::Text):
      return KeyAction{ActionKind::Text, TextProgram(record.text)};
    case KindNumber(AssignKind::Program):
      return KeyAction{ActionKind::Launch, nullptr};
    default:
      return KeyAction{ActionKind::Disabled, nullptr};
  }
}

}  // namespace

KeyActions CompileActions(const ProfileData& profile, const KeyTable& table, int tapMs) {
  KeyActions actions;
  const uint32_t tap = static_cast<uint32_t>(std::clamp(tapMs, 0, kMaxTapMs));
  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    const int code = table.Entry(entry).keyCode;
    if (!IsSendableKeyCode(code)) continue;
    // Slots that share a key code: the last one decides, as it does in the file.
    KeyAction& action = actions[static_cast<size_t>(code)];
    action = KeyAction{};
    const KeyAssignment& record = profile.records[static_cast<size_t>(entry - 1)];
    // Disabled, text and program keys act on their records; one without its text or program
    // sends itself.
    if (IsActionKind(record.kind)) {
      if (HasAction(record)) action = ActionOfRecord(record);
      continue;
    }
    const auto sends = profile.keyMap.find(code);
    if (sends == profile.keyMap.end() || sends->second.empty() ||
        (sends->second.size() == 1 && sends->second.front() == code)) {
      continue;  // the key sends itself
    }
    const auto macro = profile.macroIndexMap.find(code);
    const bool playsMacro = record.kind == KindNumber(AssignKind::Macro) && macro != profile.macroIndexMap.end() &&
                            macro->second >= 0 && macro->second < static_cast<int>(profile.macroSteps.size());
    if (playsMacro) {
      action.kind = record.hold ? ActionKind::HoldMacro : ActionKind::Macro;
      action.program = MacroProgram(profile, static_cast<size_t>(macro->second), sends->second, tap);
    } else if (record.hold) {
      action.kind = ActionKind::Hold;
      action.program = HoldProgram(sends->second);
    } else {
      action.kind = ActionKind::Tap;
      action.program = TapProgram(sends->second, tap);
    }
  }
  return actions;
}

}  // namespace orvelle

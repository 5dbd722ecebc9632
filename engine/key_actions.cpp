#include "engine/key_actions.h"

#include <algorithm>

#include "model/profile_set.h"

namespace orvelle {
namespace {

// A macro's own program: its recorded steps with their waits when it is timed, else the presses
// of its sequence as a tap.
SharedProgram MacroProgram(const Macro& macro, const OutputSequence& sends, uint32_t tapMs) {
  if (!macro.delays.empty()) {
    SharedProgram timed = TimedProgram(macro);
    if (!timed->steps.empty()) return timed;
  }
  return TapProgram(sends, tapMs, std::clamp(macro.loops, 1, kMaxMacroLoops));
}

// What a Disabled, Text, Program, Profile or Mouse record does. A text or program is not held: a text plays whole at
// the release and a program starts once, whatever the hold flag of a hand-edited file says.
KeyAction ActionOfRecord(const KeyAssignment& record) {
  switch (record.kind) {
    case AssignKind::Text:
      return KeyAction{ActionKind::Text, TextProgram(record.text)};
    case AssignKind::Program:
      return KeyAction{ActionKind::Launch, nullptr};
    case AssignKind::Profile:
      return KeyAction{ActionKind::Profile, nullptr, record.profileTarget};
    case AssignKind::Mouse:
      // A button or the wheel acts while the key is held, whatever the hold flag says.
      if (IsTurboPeriod(record.turboMs)) {
        return KeyAction{ActionKind::Turbo, MouseTurboProgram(record.mouse, static_cast<uint32_t>(record.turboMs))};
      }
      return KeyAction{ActionKind::Hold, MouseProgram(record.mouse)};
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
    if (sends == profile.keyMap.end() || sends->second.empty()) continue;
    // Turbo on a key that sends itself taps the key itself.
    const bool turbo = TakesTurbo(record.kind) && IsTurboPeriod(record.turboMs);
    if (!turbo && sends->second.size() == 1 && sends->second.front() == code) continue;  // the key sends itself
    const std::optional<int> macro = profile.macros.PlayedBy(code);
    if (record.kind == AssignKind::Macro && macro) {
      action.kind = record.hold ? ActionKind::HoldMacro : ActionKind::Macro;
      action.program = MacroProgram(*profile.macros.At(*macro), sends->second, tap);
    } else if (turbo) {
      action.kind = ActionKind::Turbo;
      action.program = TurboProgram(sends->second, static_cast<uint32_t>(record.turboMs));
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

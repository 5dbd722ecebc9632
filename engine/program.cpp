#include "engine/program.h"

#include <algorithm>

#include "model/profile_data.h"

namespace orvelle {

SharedProgram TapProgram(const std::vector<int>& codes, uint32_t tapMs, int loops) {
  auto program = std::make_shared<Program>();
  program->steps.reserve(codes.size() * 2);
  for (int code : codes) program->steps.push_back({code, true, 0});
  for (size_t i = 0; i < codes.size(); ++i) {
    const bool first = i == 0;
    program->steps.push_back({codes[i], false, first ? tapMs : 0, false, false, first && tapMs != 0});
  }
  program->loops = loops;
  program->repeatCode = codes.empty() ? 0 : codes.back();
  return program;
}

SharedProgram HoldProgram(const std::vector<int>& codes) {
  auto program = std::make_shared<Program>();
  program->steps.reserve(codes.size());
  for (int code : codes) program->steps.push_back({code, true, 0});
  program->repeatCode = codes.empty() ? 0 : codes.back();
  return program;
}

SharedProgram TimedProgram(const Macro& macro) {
  auto program = std::make_shared<Program>();
  program->steps.reserve(macro.steps.size());
  // A step with no real key (a hand-edited code) is left out; its wait still passes.
  int64_t wait = 0;
  for (size_t step = 0; step < macro.steps.size(); ++step) {
    wait += step < macro.delays.size() ? std::clamp(macro.delays[step], 0, kMaxStepDelayMs) : 0;
    const MacroStep& recorded = macro.steps[step];
    if (!IsSendableKeyCode(recorded.keyCode)) continue;
    program->steps.push_back(
        {recorded.keyCode, recorded.down(), static_cast<uint32_t>(std::min<int64_t>(wait, kMaxStepDelayMs))});
    wait = 0;
  }
  program->loops = std::clamp(macro.loops, 1, kMaxMacroLoops);
  return program;
}

SharedProgram TextProgram(std::wstring_view text) {
  constexpr int kEnterKey = 13, kTabKey = 9;
  auto program = std::make_shared<Program>();
  program->steps.reserve(text.size() * 2);
  const auto tap = [&](int code, bool unicode) {
    program->steps.push_back({code, true, 0, unicode});
    program->steps.push_back({code, false, 0, unicode});
  };
  for (const wchar_t c : text) {
    const auto unit = static_cast<uint32_t>(c);
    if (c == L'\n') {
      tap(kEnterKey, false);
    } else if (c == L'\t') {
      tap(kTabKey, false);
    } else if (unit > 0x10FFFF) {
      continue;  // no character
    } else if (unit > 0xFFFF) {
      // A wide character beyond the Basic Multilingual Plane, where wchar_t holds one whole.
      const uint32_t offset = unit - 0x10000;
      tap(static_cast<int>(0xD800 + (offset >> 10)), true);
      tap(static_cast<int>(0xDC00 + (offset & 0x3FF)), true);
    } else {
      tap(static_cast<int>(unit), true);
    }
  }
  return program;
}

SharedProgram TurboProgram(const std::vector<int>& codes, uint32_t periodMs) {
  auto program = std::make_shared<Program>();
  program->steps.reserve(codes.size() * 2);
  for (int code : codes) program->steps.push_back({code, true, 0});
  for (size_t i = 0; i < codes.size(); ++i) program->steps.push_back({codes[i], false, i == 0 ? periodMs / 2 : 0});
  program->periodMs = periodMs;
  return program;
}

// The worker sends a mouse step's code as a MouseAction number (MouseEventFor).
static_assert(static_cast<int>(MouseAction::Left) == 1 && static_cast<int>(MouseAction::X2) == 5 &&
              static_cast<int>(MouseAction::WheelUp) == 6 && static_cast<int>(MouseAction::WheelDown) == 7);

SharedProgram MouseProgram(MouseAction action) {
  auto program = std::make_shared<Program>();
  const int code = static_cast<int>(action);
  program->steps.push_back({code, true, 0, false, true});
  if (IsWheel(action)) {
    program->repeatCode = code;
    program->repeatMouse = true;
  }
  return program;
}

SharedProgram MouseTurboProgram(MouseAction action, uint32_t periodMs) {
  auto program = std::make_shared<Program>();
  const int code = static_cast<int>(action);
  program->steps.push_back({code, true, 0, false, true});
  if (!IsWheel(action)) program->steps.push_back({code, false, periodMs / 2, false, true});
  program->periodMs = periodMs;
  return program;
}

}  // namespace orvelle

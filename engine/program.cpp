#include "engine/program.h"

#include <algorithm>

#include "model/profile_data.h"

namespace orvelle {

SharedProgram TapProgram(const std::vector<int>& codes, uint32_t tapMs, int loops) {
  auto program = std::make_shared<Program>();
  program->steps.reserve(codes.size() * 2);
  for (int code : codes) program->steps.push_back({code, true, 0});
  for (size_t i = 0; i < codes.size(); ++i) program->steps.push_back({codes[i], false, i == 0 ? tapMs : 0});
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

SharedProgram TimedProgram(const std::vector<int>& steps, const std::vector<int>& delays, int loops) {
  auto program = std::make_shared<Program>();
  program->steps.reserve(steps.size() / 3);
  // A step with no real key (a hand-edited code) is left out; its wait still passes.
  int64_t wait = 0;
  for (size_t i = 0; i + 2 < steps.size(); i += 3) {
    const size_t step = i / 3;
    wait += step < delays.size() ? std::clamp(delays[step], 0, kMaxStepDelayMs) : 0;
    const int code = steps[i + 1];
    if (!IsSendableKeyCode(code)) continue;
    program->steps.push_back({code, steps[i + 2] == 1, static_cast<uint32_t>(std::min<int64_t>(wait, kMaxStepDelayMs))});
    wait = 0;
  }
  program->loops = std::clamp(loops, 1, kMaxMacroLoops);
  return program;
}

}  // namespace orvelle

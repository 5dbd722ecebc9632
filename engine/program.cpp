#include "engine/program.h"

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
  for (size_t i = 0; i + 2 < steps.size(); i += 3) {
    const size_t step = i / 3;
    const int delay = step < delays.size() ? delays[step] : 0;
    program->steps.push_back({steps[i + 1], steps[i + 2] == 1, delay > 0 ? static_cast<uint32_t>(delay) : 0u});
  }
  program->loops = loops;
  return program;
}

}  // namespace orvelle

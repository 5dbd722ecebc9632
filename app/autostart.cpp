#include "app/autostart.h"

#include "model/program_bindings.h"

namespace orvelle {

std::wstring RunCommandFor(std::wstring_view executablePath) { return L"\"" + std::wstring(executablePath) + L"\""; }

bool RunsThisProgram(std::wstring_view runValue, std::wstring_view executablePath) {
  while (!runValue.empty() && runValue.front() == L' ') runValue.remove_prefix(1);
  std::wstring_view path = runValue;
  if (!path.empty() && path.front() == L'"') {
    path.remove_prefix(1);
    path = path.substr(0, path.find(L'"'));
  } else {
    path = path.substr(0, path.find(L' '));
  }
  if (path.empty() || path.size() != executablePath.size()) return false;
  return SameProgram(path, executablePath);
}

bool StartupApprovedAllows(const std::vector<uint8_t>& state) { return state.empty() || (state.front() & 1) == 0; }

}  // namespace orvelle

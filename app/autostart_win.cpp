#include "app/autostart_win.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/autostart.h"
#include "platform/win32/executable_win.h"

namespace orvelle {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// Task Manager's state for the value; empty when it keeps none.
std::vector<uint8_t> ApprovedState() {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kRunValueName, RRF_RT_REG_BINARY, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes == 0 || bytes > 256) {
    return {};
  }
  std::vector<uint8_t> state(bytes);
  if (RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kRunValueName, RRF_RT_REG_BINARY, nullptr, state.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  state.resize(bytes);
  return state;
}

}  // namespace

bool StartsWithWindows(const std::wstring& executablePath) {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes == 0 || bytes > 65536) {
    return false;
  }
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS) {
    return false;
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return RunsThisProgram(value, executablePath) && StartupApprovedAllows(ApprovedState());
}

bool SetStartWithWindows(const std::wstring& executablePath, bool start) {
  // Without Task Manager's state the value counts as enabled; a state that cannot go leaves the
  // check mark telling the truth.
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kRunValueName);
  if (!start) {
    const LSTATUS result = RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  const std::wstring command = RunCommandFor(executablePath);
  return RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ, command.c_str(),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool ToggleStartWithWindows() {
  const std::wstring executable = ExecutablePath();
  return executable.empty() || SetStartWithWindows(executable, !StartsWithWindows(executable));
}

}  // namespace orvelle

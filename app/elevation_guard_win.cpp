#include "app/elevation_guard_win.h"

#include "platform/win32/handles.h"

namespace orvelle {
namespace {

// TokenElevation of a process's primary token; PROCESS_QUERY_LIMITED_INFORMATION and TOKEN_QUERY
// are what a process of a lower integrity level may still be granted for one of a higher.
bool IsElevatedProcess(HANDLE process) {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken)) return false;
  const UniqueHandle token(rawToken);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) return false;
  return elevation.TokenIsElevated != 0;
}

}  // namespace

bool IsElevatedWindow(HWND window) {
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0 || processId == 0) return false;
  if (processId == GetCurrentProcessId()) return false;
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  return process && IsElevatedProcess(process.get());
}

bool IsThisProcessElevated() { return IsElevatedProcess(GetCurrentProcess()); }

}  // namespace orvelle

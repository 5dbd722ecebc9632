#include "platform/win32/executable_win.h"

#include <windows.h>

#include "base/text.h"

namespace orvelle {

std::wstring ExecutablePath() {
  // GetModuleFileNameW cuts a path that does not fit and says so only by filling the buffer, so
  // the buffer grows until the path fits; long paths reach 32,767 characters.
  constexpr DWORD kLongestPath = 32768;
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= kLongestPath) return {};
    path.resize(path.size() * 2 < kLongestPath ? path.size() * 2 : kLongestPath);
  }
  return path;
}

std::wstring ExecutableFolder() { return FolderOf(ExecutablePath()); }

}  // namespace orvelle

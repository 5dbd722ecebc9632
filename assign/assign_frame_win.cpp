#include "assign/assign_frame_win.h"

#include <shellapi.h>

#include <string>

#include "assign/dialog_layout.h"

namespace orvelle {

UniqueFont PointFont(int tenthsOfPoint, const wchar_t* face) {
  const WindowDc screen(nullptr);
  const int height = -MulDiv(tenthsOfPoint, GetDeviceCaps(screen.get(), LOGPIXELSY), 720);
  return UniqueFont(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

std::optional<POINT> PlaceAtOpening(HWND dialog, HWND owner, std::optional<POINT> earlier) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    return earlier;
  }
  RECT placed{};
  GetWindowRect(dialog, &placed);
  const RECT& work = monitor.rcWork;
  std::optional<Point> before;
  if (earlier) before = Point{earlier->x, earlier->y};
  const Point at = OpeningPlace(before, placed.right - placed.left, placed.bottom - placed.top,
                                Rect{work.left, work.top, work.right, work.bottom});
  SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return POINT{at.x, at.y};
}

// By its full path in the system folder: the program's own folder, the current folder and the
// search path never supply it.
bool StartOnScreenKeyboard(HWND owner) {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::wstring program = std::wstring(system, length) + L"\\osk.exe";
  // Above 32 is success; the value is no handle, only a result code.
  return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, nullptr, program.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) >
         32;
}

}  // namespace orvelle

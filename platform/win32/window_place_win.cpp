#include "platform/win32/window_place_win.h"

#include "base/geometry.h"

namespace orvelle {

void CentreOnWorkArea(HWND window, HWND reference) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(reference != nullptr ? reference : window, MONITOR_DEFAULTTOPRIMARY),
                       &monitor)) {
    return;
  }
  RECT placed{};
  GetWindowRect(window, &placed);
  const RECT& work = monitor.rcWork;
  const Point origin = CentredOrigin(Rect{work.left, work.top, work.right, work.bottom},
                                     Rect{placed.left, placed.top, placed.right, placed.bottom}.Width(),
                                     Rect{placed.left, placed.top, placed.right, placed.bottom}.Height());
  SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace orvelle

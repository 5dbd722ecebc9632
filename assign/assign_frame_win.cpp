#include "assign/assign_frame_win.h"

#include <shellapi.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "assign/dialog_layout.h"
#include "platform/win32/display_scale_win.h"
#include "platform/win32/list_controls_win.h"
#include "resources/resource.h"

namespace orvelle {

namespace {

UniqueFont PointFont(int tenthsOfPoint, const wchar_t* face, UINT dpi) {
  const int height = -MulDiv(tenthsOfPoint, static_cast<int>(dpi), 720);
  return UniqueFont(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

void GiveFont(HWND dialog, std::initializer_list<int> ids, HFONT font) {
  for (int id : ids) {
    const HWND control = GetDlgItem(dialog, id);
    KeepControlFontOwn(control);
    SetControlFont(control, font);
  }
}

}  // namespace

void AssignFonts::Fit(HWND dialog, UINT dpi) {
  // The fonts a DPI change replaces stay alive until the controls have the new ones.
  UniqueFont keyField, list, field;
  if (dpi != dpi_) {
    keyField = std::exchange(keyField_, PointFont(200, L"Fixedsys", dpi));
    list = std::exchange(list_, PointFont(200, L"Fixedsys", dpi));
    field = std::exchange(field_, PointFont(100, L"Tahoma", dpi));
    dpi_ = dpi;
  }
  GiveFont(dialog, {IDC_KEY_FIELD}, keyField_.get());
  GiveFont(dialog, {IDC_MEDIA_LIST, IDC_FUNCTION_LIST, IDC_MACRO_NAMES}, list_.get());
  GiveFont(dialog, {IDC_TEXT_FIELD, IDC_PROGRAM_PATH, IDC_PROGRAM_ARGS, IDC_PROFILE_LIST, IDC_MOUSE_LIST, IDC_TURBO_PERIOD},
           field_.get());
}

UINT OpeningDpi(HWND dialog) {
  const HWND owner = GetWindow(dialog, GW_OWNER);
  return WindowDpi(owner != nullptr ? owner : dialog);
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

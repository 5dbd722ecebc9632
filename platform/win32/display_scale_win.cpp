#include "platform/win32/display_scale_win.h"

#include "platform/win32/handles.h"
#include "platform/win32/skin_pictures_win.h"

namespace orvelle {
namespace {

template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user = GetModuleHandleW(L"user32.dll");
  return user != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
}

}  // namespace

UINT WindowDpi(HWND window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpiForWindow = User32Function<DpiForWindow>("GetDpiForWindow");
  if (dpiForWindow != nullptr && window != nullptr) {
    if (const UINT dpi = dpiForWindow(window); dpi != 0) return dpi;
  }
  const WindowDc screen(nullptr);
  const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : static_cast<UINT>(kBaseDpi);
}

UINT MonitorDpi(HMONITOR monitor) {
  // shcore.dll from the system folder only, loaded once and kept for the program's life.
  using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const UniqueModule shcore = LoadSystemLibrary(L"shcore.dll");
  static const auto dpiForMonitor =
      shcore ? reinterpret_cast<DpiForMonitor>(reinterpret_cast<void*>(GetProcAddress(shcore.get(), "GetDpiForMonitor")))
             : nullptr;
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  UINT x = 0, y = 0;
  if (dpiForMonitor != nullptr && monitor != nullptr && SUCCEEDED(dpiForMonitor(monitor, kEffectiveDpi, &x, &y)) &&
      y != 0) {
    return y;
  }
  return WindowDpi(nullptr);
}

int SystemMetricForDpi(int index, UINT dpi) {
  using MetricsForDpi = int(WINAPI*)(int, UINT);
  static const auto metricsForDpi = User32Function<MetricsForDpi>("GetSystemMetricsForDpi");
  return metricsForDpi != nullptr ? metricsForDpi(index, dpi) : GetSystemMetrics(index);
}

bool NonClientMetricsForDpi(UINT dpi, NONCLIENTMETRICSW& metrics) {
  using ParametersForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto parametersForDpi = User32Function<ParametersForDpi>("SystemParametersInfoForDpi");
  metrics = NONCLIENTMETRICSW{};
  metrics.cbSize = sizeof metrics;
  return parametersForDpi != nullptr && parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
}

// The flags are those of DIALOG_DPI_CHANGE_BEHAVIORS and DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS.
void KeepDialogLayoutOwn(HWND dialog) {
  constexpr int kDisableResize = 0x0002;
  constexpr int kDisableControlRelayout = 0x0004;
  using DialogBehavior = BOOL(WINAPI*)(HWND, int, int);
  static const auto setBehavior = User32Function<DialogBehavior>("SetDialogDpiChangeBehavior");
  constexpr int kOwn = kDisableResize | kDisableControlRelayout;
  if (setBehavior != nullptr) setBehavior(dialog, kOwn, kOwn);
}

void KeepControlFontOwn(HWND control) {
  constexpr int kDisableFontUpdate = 0x0001;
  using ControlBehavior = BOOL(WINAPI*)(HWND, int, int);
  static const auto setBehavior = User32Function<ControlBehavior>("SetDialogControlDpiChangeBehavior");
  if (setBehavior != nullptr && control != nullptr) setBehavior(control, kDisableFontUpdate, kDisableFontUpdate);
}

SkinPlace FindSkinPlace(const std::wstring& folder, std::wstring_view lang, int monitorPercent,
                        std::wstring_view probeStem) {
  for (const SkinPlace& place : SkinPlaces(lang, monitorPercent)) {
    if (place.lang.empty() || PictureFileExists(folder + SkinPicturePath(place, probeStem))) return place;
  }
  return SkinPlace{};
}

}  // namespace orvelle

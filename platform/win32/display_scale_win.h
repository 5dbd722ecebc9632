#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/display_scale.h"

namespace orvelle {

// The DPI of the monitor the window is on, as the window's own scale (GetDpiForWindow, found at
// run time: older Windows have it not and answer with the system's DPI).
UINT WindowDpi(HWND window);

// A system metric at a DPI (GetSystemMetricsForDpi where the system has it).
int SystemMetricForDpi(int index, UINT dpi);

// The best place a skin's pictures lie for a monitor at `monitorPercent`: the first place of
// SkinPlaces whose picture `probeStem` is beside the program, else the old pictures.
SkinPlace FindSkinPlace(const std::wstring& folder, std::wstring_view lang, int monitorPercent,
                        std::wstring_view probeStem);

}  // namespace orvelle

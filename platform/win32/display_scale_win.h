#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/display_scale.h"

namespace orvelle {

// The DPI of the monitor the window is on, as the window's own scale (GetDpiForWindow, found at
// run time: older Windows have it not and answer with the system's DPI).
UINT WindowDpi(HWND window);

// The DPI of a monitor as a per-monitor aware program draws on it (GetDpiForMonitor, effective
// DPI, found at run time); the system's DPI where the call is missing (before Windows 8.1).
UINT MonitorDpi(HMONITOR monitor);

// A system metric at a DPI (GetSystemMetricsForDpi where the system has it).
int SystemMetricForDpi(int index, UINT dpi);
// The fonts and sizes of window frames and menus at a DPI (SystemParametersInfoForDpi); false
// where the system lacks the call (before Windows 10 1607) or refuses it.
bool NonClientMetricsForDpi(UINT dpi, NONCLIENTMETRICSW& metrics);

// A skinned dialog that places and sizes its controls itself at each DPI: the dialog manager of
// Windows 10 1703 and later stops resizing it and moving its controls on a DPI change, and goes
// on giving the template's font at the new DPI to the controls that keep it. Nothing on systems
// without per-monitor dialogs.
void KeepDialogLayoutOwn(HWND dialog);
// A control of such a dialog with a font of the dialog's own: the dialog manager leaves its font.
void KeepControlFontOwn(HWND control);

// The best place a skin's pictures lie for a monitor at `monitorPercent`: the first place of
// SkinPlaces whose picture `probeStem` is beside the program, else the old pictures.
SkinPlace FindSkinPlace(const std::wstring& folder, std::wstring_view lang, int monitorPercent,
                        std::wstring_view probeStem);

}  // namespace orvelle

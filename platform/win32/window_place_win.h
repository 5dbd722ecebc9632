#pragma once

#include <windows.h>

namespace orvelle {

// Centres a window on the work area of the monitor that shows `reference` (the window itself
// when null), kept inside the work area as far as it fits: both of the program's windows open
// this way.
void CentreOnWorkArea(HWND window, HWND reference = nullptr);

}  // namespace orvelle

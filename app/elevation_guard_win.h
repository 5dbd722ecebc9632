#pragma once

#include <windows.h>

namespace orvelle {

// Whether the process that owns `window` runs with an elevated token. False where the system lets
// us see nothing of the process (another user's, a protected one): we then do not claim to know.
bool IsElevatedWindow(HWND window);

// Whether this process runs elevated.
bool IsThisProcessElevated();

}  // namespace orvelle

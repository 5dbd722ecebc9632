#pragma once

#include <string>

namespace orvelle {

// Starting with Windows, through one value under the user's Run key, and the state Task Manager
// keeps for it (its Startup tab can disable the value without removing it). Nothing else of the
// registry is read or written.
bool StartsWithWindows(const std::wstring& executablePath);
// Adds the value (this executable, by its full path) or removes it; false when the registry
// refused. Either way Task Manager's state for it goes: turned on, it starts again; turned off,
// nothing is left behind.
bool SetStartWithWindows(const std::wstring& executablePath, bool start);
// Turns starting with Windows of this executable on when it is off, off when on; false when the
// registry refused.
bool ToggleStartWithWindows();

}  // namespace orvelle

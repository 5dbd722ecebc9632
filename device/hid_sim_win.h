#pragma once

#include <windows.h>

#include <cstddef>

namespace orvelle {

// The simulated HID layer of the test twin: WM_COPYDATA with this tag and the UTF-16 text
// "arrive <path>" or "remove <path>" changes the device list and sends the window the matching
// WM_DEVICECHANGE notice.
inline constexpr ULONG_PTR kSimulatedDeviceTag = 0x44455643;
void OnSimulatedDeviceCommand(HWND window, const wchar_t* text, size_t length);

}  // namespace orvelle

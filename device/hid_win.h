#pragma once

#include <windows.h>

namespace orvelle {

// Whether a HID interface of the supported vendor is present now. The owner window parents the
// out-of-memory message.
bool IsKeyboardPresent(HWND owner);

// Registers the window for arrival and removal notices of HID interfaces.
void RegisterDeviceNotices(HWND window);

#ifdef ORVELLE_E2E
// The simulated HID layer of the test build: WM_COPYDATA with this tag and the UTF-16 text
// "arrive <path>" or "remove <path>" changes the device list and sends the window the matching
// WM_DEVICECHANGE notice.
inline constexpr ULONG_PTR kSimulatedDeviceTag = 0x44455643;
void OnSimulatedDeviceCommand(HWND window, const wchar_t* text, size_t length);
#endif

}  // namespace orvelle

#pragma once

#include <windows.h>

#include "device/presence.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The HID device-interface class (GUID_DEVINTERFACE_HID), the same value hid.dll's
// HidD_GetHidGuid returns; a constant, so that notices need no DLL at all.
inline constexpr GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// Whether a HID interface of the supported vendor is present now. The owner window parents the
// out-of-memory message.
bool IsKeyboardPresent(HWND owner);

// Registers the window for arrival and removal notices of HID interfaces. The registration
// ends with the returned owner.
UniqueDeviceNotify RegisterDeviceNotices(HWND window);

// What a WM_DEVICECHANGE notice means for the keyboard.
PresenceChange ReadDeviceNotice(WPARAM event, LPARAM data);

#ifdef ORVELLE_E2E
// The simulated HID layer of the test build: WM_COPYDATA with this tag and the UTF-16 text
// "arrive <path>" or "remove <path>" changes the device list and sends the window the matching
// WM_DEVICECHANGE notice.
inline constexpr ULONG_PTR kSimulatedDeviceTag = 0x44455643;
void OnSimulatedDeviceCommand(HWND window, const wchar_t* text, size_t length);
#endif

}  // namespace orvelle

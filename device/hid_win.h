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

}  // namespace orvelle

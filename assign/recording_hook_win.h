#pragma once

#include <windows.h>

namespace orvelle {

// The assignment dialog's own low-level keyboard hook. While installed it swallows every key
// event of the desktop and hands each to the dialog window as message 0x466 (wParam the keyboard
// message, lParam the event record), so a key can be captured or recorded without reaching any
// application.
void InstallRecordingHook(HINSTANCE instance, HWND dialog);
void RemoveRecordingHook();
bool IsRecordingHookInstalled();

}  // namespace orvelle

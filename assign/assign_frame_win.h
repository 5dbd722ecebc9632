#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/handles.h"

namespace orvelle {

// The assignment dialog's frame and what it starts: its fonts, its place at every opening, the
// on-screen keyboard.

UniqueFont PointFont(int tenthsOfPoint, const wchar_t* face);

// Moves the dialog to where it opens on the work area of the monitor that shows `owner`
// (OpeningPlace); returns that place, for the next opening.
std::optional<POINT> PlaceAtOpening(HWND dialog, HWND owner, std::optional<POINT> earlier);

// Starts the system's on-screen keyboard; false when it could not be started.
bool StartOnScreenKeyboard(HWND owner);

}  // namespace orvelle

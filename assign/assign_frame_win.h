#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/handles.h"

namespace orvelle {

// The assignment dialog's frame and what it starts: its fonts, its place at every opening, the
// on-screen keyboard.

// The fonts the dialog gives some of its controls (the key field, the lists, the text fields and
// the gamer controls' fields), made for one DPI. The other controls keep the template's font,
// which the dialog manager makes at the dialog's DPI.
class AssignFonts {
 public:
  // Gives the dialog's controls the fonts for `dpi`, made anew when the DPI changed.
  void Fit(HWND dialog, UINT dpi);

 private:
  UINT dpi_ = 0;
  UniqueFont keyField_;
  UniqueFont list_;
  UniqueFont field_;
};

// The DPI the dialog opens at: that of the monitor that shows its owner.
UINT OpeningDpi(HWND dialog);

// Moves the dialog to where it opens on the work area of the monitor that shows `owner`
// (OpeningPlace); returns that place, for the next opening.
std::optional<POINT> PlaceAtOpening(HWND dialog, HWND owner, std::optional<POINT> earlier);

// Starts the system's on-screen keyboard; false when it could not be started.
bool StartOnScreenKeyboard(HWND owner);

}  // namespace orvelle

#pragma once

#include <windows.h>

#include "assign/assign_view.h"

namespace orvelle {

// The assignment dialog's controls for keys used in games, on the Windows side: the Profile and
// Mouse lists filled once per opening, and the lists and the turbo period field made to
// show the view. The skinned choices and boxes among them are the dialog's buttons.
void SetUpGamerControls(HWND dialog);
void ApplyGamerControls(HWND dialog, const AssignView& now, const AssignView& before, bool everything);

}  // namespace orvelle

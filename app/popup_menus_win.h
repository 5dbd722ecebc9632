#pragma once

#include <windows.h>

#include "model/profile_set.h"

namespace orvelle {

// The menu `menuId` at the cursor, for `owner`: the "Menu" button's menu with the key hold time
// choices (the set's marked), or the tray menu with the home profile and autostart marked; both
// with "run as administrator" marked while it is on.
void ShowPopupMenu(HINSTANCE instance, HWND owner, int menuId, const ProfileSet& profiles);

}  // namespace orvelle

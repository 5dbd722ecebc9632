#pragma once

#include <windows.h>

namespace orvelle {

// The menu `menuId` at the cursor, for `owner`: the "Menu" button's menu with the key hold time
// choices (`tapMs` marked), or the tray menu with the home profile and autostart marked.
void ShowPopupMenu(HINSTANCE instance, HWND owner, int menuId, int tapMs, int homeProfile);

}  // namespace orvelle

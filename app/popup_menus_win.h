#pragma once

#include <windows.h>

#include "model/profile_set.h"

namespace orvelle {

// The menu `menuId` at the cursor, for `owner`: the "Menu" button's menu with the key hold time
// choices (the set's marked) and the on-screen notice's item (checked while on), or the tray menu
// with autostart and the profile the keys follow marked (the icon's number: a bound program's in
// front, else the home profile) and the pause while remapping is paused; both with "run as
// administrator" marked while it is on.
void ShowPopupMenu(HINSTANCE instance, HWND owner, int menuId, const ProfileSet& profiles, int activeProfile,
                   bool paused);

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <span>

#include "app/ui_language.h"

namespace orvelle {

// At start, before the first window or message: the language stored in set.ini beside the
// executable ([TYPE] Language), else the one of the user's UI language.
void ChooseStartLanguage();

// Every item of `menu` and of its submenus whose command has a text takes it in the current language.
void ApplyMenuTexts(HMENU menu);
// The "Language" submenu's current choice checked.
void MarkLanguageMenu(HMENU menu);
// The dialog's controls take their texts in the current language.
void ApplyDialogTexts(HWND dialog, std::span<const ItemText> texts);

}  // namespace orvelle

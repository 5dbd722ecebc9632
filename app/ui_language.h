#pragma once

#include <optional>
#include <span>

#include "base/language.h"
#include "base/texts.h"

namespace orvelle {

// A menu item (by its command id) or a dialog control (by its control id) and the text it shows.
struct ItemText {
  int id;
  TextId text;
};

// The items of both menus, set by command id as a menu is loaded, so that the resource script does
// not decide the language.
std::span<const ItemText> MenuItemTexts();
// The controls of the program bindings dialog and of the about box, set as they open.
std::span<const ItemText> ProgramsDialogTexts();
std::span<const ItemText> AboutBoxTexts();

// The "Language" submenu: the command of each choice and the choice of a command.
int LanguageCommand(Language language);
std::optional<Language> LanguageOfCommand(int commandId);

}  // namespace orvelle

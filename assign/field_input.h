#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/profile_data.h"

namespace orvelle {

// A number typed into one of the dialog's small fields: digits only, nothing else, from `least`
// to `most`; nothing for any other text (empty, a sign, letters, a number out of range).
std::optional<int> ParseFieldNumber(std::wstring_view text, int least, int most);

// The keys of a command's shortcut, joined by "+" ("Ctrl+C", "Alt+Space+N").
std::wstring ShortcutText(const CommandRow& row);
// What the function list shows for a command: its name and its shortcut, "Копировать (Ctrl+C)".
// The name stored for a key stays the command's own; this is only what the list shows.
std::wstring FunctionListText(const CommandRow& row);

}  // namespace orvelle

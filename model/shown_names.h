#pragma once

#include <string_view>

// What the interface shows for a stored command or media name. The stored names belong to set.ini's
// format and never change; each has a text of its own in every language.
namespace orvelle {

// The shown name of the command stored as `stored` (blanks at the end of either ignored); an
// unknown name is shown as it is stored.
std::wstring_view ShownCommandName(std::wstring_view stored);
// The shown name of the command table's row `row`.
std::wstring_view ShownCommandName(int row);
// The same for the multimedia names.
std::wstring_view ShownMediaName(std::wstring_view stored);
std::wstring_view ShownMediaName(int row);

}  // namespace orvelle

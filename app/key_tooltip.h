#pragma once

#include <string>
#include <string_view>

#include "model/profile_data.h"

namespace orvelle {

// The tooltip of a key slot: the key's own name in capitals (ASCII letters only), then what it
// does in the active profile: nothing new, another key, a macro, a multimedia key, a command,
// typing a text, starting a program, or nothing at all; a key that acts while it is held says so.
std::wstring KeyTooltipText(std::wstring_view ownName, const KeyAssignment& assignment);

}  // namespace orvelle

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/profile_data.h"

namespace orvelle {

// How the values of the profile file are written and read back: a macro's steps and waits as
// comma-separated numbers, a Text key's text with its escapes, and any value that the reader would
// change put in quotes. A value reads back as it was written; a hand-edited one is read as far as
// it makes sense, never at unbounded cost.

// A step is stored as three numbers: key-name parameter, key code, direction.
inline constexpr size_t kStepFields = 3;

// The steps of a "MacroKey" list of which "MacroKeyNum" says `count` numbers count.
MacroSteps ParseMacroSteps(std::wstring_view text, int count);
std::wstring JoinSteps(const MacroSteps& steps);

MacroDelays ParseMacroDelays(std::wstring_view text, size_t stepCount);
int ParseMacroLoops(int stored);
std::wstring JoinInts(const std::vector<int>& values);

std::wstring QuotedWhereNeeded(std::wstring value);

// A Text key's text as the file keeps it, and back (cleaned and cut as CleanText does).
std::wstring EncodeText(std::wstring_view text);
std::wstring DecodeText(std::wstring_view stored);

}  // namespace orvelle

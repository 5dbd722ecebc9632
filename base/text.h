#pragma once

#include <string>
#include <string_view>

namespace orvelle {

// Field `index` of a comma-separated list, as MFC's AfxExtractSubString cuts it: a field past
// the last comma is empty, nothing is trimmed.
std::wstring_view ExtractField(std::wstring_view list, int index);

// A decimal integer parsed like the C runtime's _wtoi: leading white space, an optional sign,
// then digits up to the first other character. Anything unparsable gives 0; overflow
// saturates.
int ParseInt(std::wstring_view text);

// `value` in decimal, the way "%d" formats it.
std::wstring FormatInt(int value);

// Both strings equal once blanks at the end of either are ignored (case-sensitive).
bool EqualIgnoringTrailingBlanks(std::wstring_view a, std::wstring_view b);

// ASCII-only case-insensitive equality, which is how INI section and key names compare.
bool EqualAsciiNoCase(std::wstring_view a, std::wstring_view b);

// The folder of a path, up to and including its last backslash or slash; empty without one.
std::wstring FolderOf(std::wstring_view path);
// The file-name part of a path ("C:\Games\Game.exe" → "Game.exe"); the whole text when it has no
// folder.
std::wstring_view FileNameOf(std::wstring_view path);

}  // namespace orvelle

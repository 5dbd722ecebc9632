// Turning a fuzzer's bytes into the values the parsers take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ini.h"

namespace orvelle::fuzz {

// Bytes read two at a time as UTF-16 code units, little-endian; an odd last byte is dropped.
inline std::wstring Units(const uint8_t* data, size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  return text;
}

// Lines "key=value" of a text as a section's entries, with the key and value as the INI reader
// would hand them over (blanks at either end gone); lines without '=' are no entry.
inline std::vector<IniEntry> Entries(std::wstring_view text) {
  auto trim = [](std::wstring_view part) {
    while (!part.empty() && (part.front() == L' ' || part.front() == L'\t')) part.remove_prefix(1);
    while (!part.empty() && (part.back() == L' ' || part.back() == L'\t')) part.remove_suffix(1);
    return std::wstring(part);
  };
  std::vector<IniEntry> entries;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    const std::wstring_view line = text.substr(start, end - start);
    const size_t equals = line.find(L'=');
    if (equals != std::wstring_view::npos) entries.push_back({trim(line.substr(0, equals)), trim(line.substr(equals + 1))});
    start = end + 1;
  }
  return entries;
}

}  // namespace orvelle::fuzz

#include "base/text.h"

#include <cstdint>

namespace orvelle {

std::wstring_view ExtractField(std::wstring_view list, int index) {
  if (index < 0) return {};
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const size_t comma = list.find(L',', start);
    if (comma == std::wstring_view::npos) return {};
    start = comma + 1;
  }
  const size_t end = list.find(L',', start);
  return list.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
}

int ParseInt(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  // Saturates like the C runtime does on overflow.
  int64_t value = 0;
  const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : INT32_MAX;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > limit) value = limit;
  }
  return static_cast<int>(negative ? -value : value);
}

std::wstring FormatInt(int value) {
  // Hand-rolled: profile keys are formatted a few thousand times at start-up and shut-down, and
  // the wide printf family is slow.
  wchar_t digits[12];
  wchar_t* end = digits + 12;
  wchar_t* p = end;
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    *--p = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = L'-';
  return std::wstring(p, end);
}

bool EqualIgnoringTrailingBlanks(std::wstring_view a, std::wstring_view b) {
  auto trimmed = [](std::wstring_view s) {
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.remove_suffix(1);
    return s;
  };
  return trimmed(a) == trimmed(b);
}

bool EqualAsciiNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x + 32);
    if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::wstring FolderOf(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash + 1));
}

std::wstring_view FileNameOf(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

}  // namespace orvelle

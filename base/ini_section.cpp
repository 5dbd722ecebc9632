#include "base/ini_section.h"

#include <cstdint>

namespace orvelle {
namespace ini_rules {

std::wstring_view TrimBlanks(std::wstring_view text) {
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring LowerAscii(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  }
  return lower;
}

std::wstring StripQuotesAndCut(std::wstring_view stored, size_t bufferChars) {
  if (bufferChars == 0) return {};
  wchar_t quote = 0;
  if (stored.size() >= 2 && (stored.front() == L'"' || stored.front() == L'\'') &&
      stored.back() == stored.front()) {
    quote = stored.front();
    stored.remove_prefix(1);
  }
  std::wstring out(stored.substr(0, bufferChars - 1));
  // The closing quote goes only when the value fitted the buffer whole.
  if (quote != 0 && bufferChars >= stored.size() && !out.empty()) out.pop_back();
  return out;
}

int ParseStoredInt(std::wstring_view stored, int fallback) {
  const std::wstring value = StripQuotesAndCut(stored, kBufferChars);
  if (value.empty()) return fallback;
  size_t i = 0;
  while (i < value.size() && (value[i] == L' ' || value[i] == L'\t')) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) {
    negative = value[i] == L'-';
    ++i;
  }
  uint32_t result = 0;  // wraps on overflow, as the system's conversion does
  for (; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i) {
    result = result * 10u + static_cast<uint32_t>(value[i] - L'0');
  }
  return static_cast<int>(negative ? 0u - result : result);
}

}  // namespace ini_rules

namespace {
wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }
}  // namespace

size_t IniSection::FoldedHash::operator()(std::wstring_view key) const noexcept {
  size_t hash = 1469598103934665603ull;  // FNV-1a
  for (wchar_t c : key) hash = (hash ^ static_cast<size_t>(FoldAscii(c))) * 1099511628211ull;
  return hash;
}

bool IniSection::FoldedEqual::operator()(std::wstring_view a, std::wstring_view b) const noexcept {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

IniSection::IniSection(std::vector<IniEntry> entries) : entries_(std::move(entries)) {
  index_.reserve(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) {
    index_.emplace(std::wstring_view(entries_[i].key), i);  // keeps the first of duplicates
  }
}

const std::wstring* IniSection::Find(std::wstring_view key) const {
  const auto it = index_.find(key);
  return it == index_.end() ? nullptr : &entries_[it->second].value;
}

int IniSection::Int(std::wstring_view key, int fallback) const {
  const std::wstring* value = Find(key);
  return value ? ini_rules::ParseStoredInt(*value, fallback) : fallback;
}

std::wstring IniSection::String(std::wstring_view key, std::wstring_view fallback) const {
  const std::wstring* value = Find(key);
  if (!value) {
    // The system drops trailing blanks from a default but never its quotes.
    while (!fallback.empty() && fallback.back() == L' ') fallback.remove_suffix(1);
    return std::wstring(fallback.substr(0, ini_rules::kBufferChars - 1));
  }
  return ini_rules::StripQuotesAndCut(*value, ini_rules::kBufferChars);
}

std::wstring IniSection::LongString(std::wstring_view key) const {
  const std::wstring* value = Find(key);
  return value ? ini_rules::StripQuotesAndCut(*value, value->size() + 1) : std::wstring();
}

}  // namespace orvelle

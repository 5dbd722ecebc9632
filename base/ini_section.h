#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/ini.h"

namespace orvelle {

// One section read at once and then looked up key by key with the same answers the
// private-profile functions give. Loading a profile needs about 500 lookups; asking the system
// for each one costs most of a millisecond under some hosts, one section read costs one.
class IniSection {
 public:
  IniSection() = default;
  explicit IniSection(std::vector<IniEntry> entries);
  // The index points into the entries, so the section stays where it was built.
  IniSection(const IniSection&) = delete;
  IniSection& operator=(const IniSection&) = delete;

  // What ReadInt would answer for `key`.
  int Int(std::wstring_view key, int fallback) const;
  // What ReadString would answer for `key` (quotes stripped, cut to 259 characters).
  std::wstring String(std::wstring_view key, std::wstring_view fallback = {}) const;
  // The whole value with its quotes stripped, however long it is.
  std::wstring LongString(std::wstring_view key) const;

  size_t size() const { return entries_.size(); }

 private:
  const std::wstring* Find(std::wstring_view key) const;

  // Keys compare without regard to ASCII case, as the system's do.
  struct FoldedHash {
    using is_transparent = void;
    size_t operator()(std::wstring_view key) const noexcept;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::wstring_view a, std::wstring_view b) const noexcept;
  };

  std::vector<IniEntry> entries_;
  std::unordered_map<std::wstring_view, size_t, FoldedHash, FoldedEqual> index_;  // key -> first entry
};

// The rules of the private-profile functions, shared by both INI implementations.
namespace ini_rules {
constexpr size_t kBufferChars = 260;
// Removes one pair of matching enclosing quotes and cuts to `bufferChars` - 1 characters,
// exactly as the system's string read does.
std::wstring StripQuotesAndCut(std::wstring_view stored, size_t bufferChars);
// The integer the system's integer read makes of a stored value; `fallback` for an empty one.
int ParseStoredInt(std::wstring_view stored, int fallback);
// Leading and trailing blanks removed.
std::wstring_view TrimBlanks(std::wstring_view text);
std::wstring LowerAscii(std::wstring_view text);
}  // namespace ini_rules

}  // namespace orvelle

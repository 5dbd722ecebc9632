#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

struct IniEntry {
  std::wstring key;
  std::wstring value;
  bool operator==(const IniEntry&) const = default;
};

// Everything the layout and profile code needs from INI files. The portable implementation
// reproduces the behaviour of the system's private-profile functions, and the Win32 one sits on
// those functions, so the same contract tests run against both. The program reads and writes its
// files whole (IniFileCopy) and uses this interface on the copy in memory.
class IniAccess {
 public:
  virtual ~IniAccess() = default;

  // The value as a decimal integer; `fallback` when the file, section or key is missing or empty.
  virtual int ReadInt(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                      int fallback) = 0;

  // The value without surrounding blanks and without one pair of enclosing quotes, cut to 259
  // characters (a 260-character buffer); `fallback` when the file, section or key is missing.
  virtual std::wstring ReadString(const std::wstring& path, std::wstring_view section,
                                  std::wstring_view key, std::wstring_view fallback) = 0;

  // Every entry of the section in file order, keys and values trimmed of surrounding blanks but
  // otherwise as stored (no quote stripping, no length cut). Empty when the section is missing.
  virtual std::vector<IniEntry> ReadSection(const std::wstring& path,
                                            std::wstring_view section) = 0;

  // Creates the file and the section when missing, replaces an existing key's value in place and
  // appends a new key at the end of its section. A file created here keeps Cyrillic intact.
  virtual void WriteString(const std::wstring& path, std::wstring_view section,
                           std::wstring_view key, std::wstring_view value) = 0;

  // Replaces every key of the section with `entries`, in order. An empty list empties the section
  // and keeps its header.
  virtual void WriteSection(const std::wstring& path, std::wstring_view section,
                            const std::vector<IniEntry>& entries) = 0;

  // Removes the key from the section; nothing happens when it is missing.
  virtual void DeleteKey(const std::wstring& path, std::wstring_view section, std::wstring_view key) = 0;

  // Removes the section, its header and its keys; nothing happens when it is missing.
  virtual void DeleteSection(const std::wstring& path, std::wstring_view section) = 0;
};

}  // namespace orvelle

#pragma once

#include "base/ini.h"

namespace orvelle {

// INI access through the system's private-profile functions. The program no longer reads or
// writes its files this way; this is the reference the portable engine is held to in the
// contract tests, so that a file we write reads the same through the system.
class Win32Ini final : public IniAccess {
 public:
  int ReadInt(const std::wstring& path, std::wstring_view section, std::wstring_view key,
              int fallback) override;
  std::wstring ReadString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                          std::wstring_view fallback) override;
  std::vector<IniEntry> ReadSection(const std::wstring& path, std::wstring_view section) override;
  void WriteString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value) override;
  void WriteSection(const std::wstring& path, std::wstring_view section,
                    const std::vector<IniEntry>& entries) override;
  void DeleteKey(const std::wstring& path, std::wstring_view section, std::wstring_view key) override;
  void DeleteSection(const std::wstring& path, std::wstring_view section) override;
};

}  // namespace orvelle

#pragma once

#include "platform/ini.h"

namespace orvelle {

// INI files read and written directly, with the behaviour the private-profile functions show:
// sections and keys compared without regard to ASCII case, the first of duplicates wins, blanks
// and one pair of enclosing quotes stripped on read, a key replaced in place or appended at the
// end of its section. A file keeps its encoding; a new one is UTF-16LE with a byte-order mark.
// Every write replaces the file in one step.
class PortableIni final : public IniAccess {
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
  std::wstring BeginReplace(const std::wstring& path) override;
  bool CommitReplace(const std::wstring& scratch, const std::wstring& path) override;
};

// Reading and writing whole files by wide path, shared with the tests and tools.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);

}  // namespace orvelle

#include "platform/win32/win32_ini.h"

#include <windows.h>

#include "base/ini_section.h"
#include "platform/win32/handles.h"

namespace orvelle {
namespace {

// A section larger than this is read only up to it; nothing we write comes near.
constexpr DWORD kMaxSectionChars = 8u << 20;

// The private-profile functions write a file they create in the ANSI code page, which turns
// Cyrillic into '?'. A file that starts with a UTF-16LE byte-order mark is kept in UTF-16.
void EnsureUnicodeFile(const std::wstring& path) {
  const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;  // it exists already (or cannot be made)
  static const BYTE kBom[2] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(file.get(), kBom, sizeof kBom, &written, nullptr);
}

// The system's functions take NUL-terminated strings; a view need not be one.
std::wstring Terminated(std::wstring_view text) { return std::wstring(text); }

}  // namespace

int Win32Ini::ReadInt(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                      int fallback) {
  return static_cast<int>(GetPrivateProfileIntW(Terminated(section).c_str(), Terminated(key).c_str(), fallback, path.c_str()));
}

std::wstring Win32Ini::ReadString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                                  std::wstring_view fallback) {
  wchar_t buffer[ini_rules::kBufferChars];
  const DWORD length = GetPrivateProfileStringW(Terminated(section).c_str(), Terminated(key).c_str(), Terminated(fallback).c_str(), buffer,
                                                ini_rules::kBufferChars, path.c_str());
  return std::wstring(buffer, length);
}

std::vector<IniEntry> Win32Ini::ReadSection(const std::wstring& path, std::wstring_view section) {
  std::vector<IniEntry> entries;
  const std::wstring name = Terminated(section);
  std::wstring buffer(32 * 1024, L'\0');
  DWORD length = 0;
  for (;;) {
    length = GetPrivateProfileSectionW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    // A result of size - 2 means the buffer was too small.
    if (length + 2 < buffer.size() || buffer.size() >= kMaxSectionChars) break;
    buffer.assign(buffer.size() * 2, L'\0');
  }
  size_t start = 0;
  while (start < length) {
    const size_t end = buffer.find(L'\0', start);
    const std::wstring_view line(buffer.data() + start, (end == std::wstring::npos ? length : end) - start);
    if (!line.empty()) {
      const size_t equals = line.find(L'=');
      if (equals == std::wstring_view::npos) {
        entries.push_back({std::wstring(ini_rules::TrimBlanks(line)), {}});
      } else {
        entries.push_back({std::wstring(ini_rules::TrimBlanks(line.substr(0, equals))),
                           std::wstring(ini_rules::TrimBlanks(line.substr(equals + 1)))});
      }
    }
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return entries;
}

void Win32Ini::WriteString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                           std::wstring_view value) {
  EnsureUnicodeFile(path);
  WritePrivateProfileStringW(Terminated(section).c_str(), Terminated(key).c_str(), Terminated(value).c_str(), path.c_str());
}

void Win32Ini::WriteSection(const std::wstring& path, std::wstring_view section,
                            const std::vector<IniEntry>& entries) {
  EnsureUnicodeFile(path);
  // "key=value\0key=value\0\0": the section's keys become exactly these, in order.
  std::wstring list;
  for (const IniEntry& entry : entries) {
    list += entry.key;
    list += L'=';
    list += entry.value;
    list += L'\0';
  }
  list += L'\0';
  if (entries.empty()) list += L'\0';
  WritePrivateProfileSectionW(Terminated(section).c_str(), list.c_str(), path.c_str());
}

void Win32Ini::DeleteKey(const std::wstring& path, std::wstring_view section, std::wstring_view key) {
  // A null value removes the key.
  WritePrivateProfileStringW(Terminated(section).c_str(), Terminated(key).c_str(), nullptr, path.c_str());
}

void Win32Ini::DeleteSection(const std::wstring& path, std::wstring_view section) {
  // A null key removes the whole section.
  WritePrivateProfileStringW(Terminated(section).c_str(), nullptr, nullptr, path.c_str());
}

}  // namespace orvelle

// The INI engine on any text: every section it finds reads back, written through the engine into a
// fresh file and into the same one, as the entries it read. A line of the file is never taken for
// anything it was not (a key for a header, a value cut short).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/ini_section.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"

namespace {

// The names of the section headers of `text`, as the engine reads a header line: "[", the name up
// to "]", blanks around it trimmed.
std::vector<std::wstring> HeaderNames(const std::wstring& text) {
  std::vector<std::wstring> names;
  size_t start = 0;
  while (start < text.size() && names.size() < 64) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring_view line = orvelle::ini_rules::TrimBlanks(std::wstring_view(text).substr(start, end - start));
    if (!line.empty() && line.front() == L'[') {
      line.remove_prefix(1);
      line = line.substr(0, line.find(L']'));
      names.emplace_back(orvelle::ini_rules::TrimBlanks(line));
    }
    start = end + 1;
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvelle;
  static MemoryFileStore files;
  files.Clear();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  files.Put(L"in.ini", bytes);
  PortableIni ini(files, DecodeLatin1);
  for (const std::wstring& name : HeaderNames(DecodeFileText(bytes, DecodeLatin1))) {
    const std::vector<IniEntry> entries = ini.ReadSection(L"in.ini", name);
    ini.WriteSection(L"out.ini", name, entries);
    if (ini.ReadSection(L"out.ini", name) != entries) __builtin_trap();
    ini.WriteSection(L"in.ini", name, entries);
    if (ini.ReadSection(L"in.ini", name) != entries) __builtin_trap();
  }
  return 0;
}

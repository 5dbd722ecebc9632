#include "model/program_bindings.h"

#include <algorithm>

#include "base/ini_section.h"
#include "base/text.h"

namespace orvelle {
namespace {

// Upper case to lower case for the letters a program name is likely to hold; other characters as
// they are.
wchar_t FoldCase(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<wchar_t>(c + 32);    // Latin-1 letters
  if (c >= 0x410 && c <= 0x42F) return static_cast<wchar_t>(c + 32);                // А..Я
  if (c >= 0x400 && c <= 0x40F) return static_cast<wchar_t>(c + 80);                // Ѐ..Џ, Ё among them
  return c;
}

constexpr std::wstring_view kForbidden = L"\\/:*?\"<>|=[];";
constexpr size_t kMaxNameChars = 255;

}  // namespace

bool SameProgram(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldCase(x) == FoldCase(y); });
}

bool IsProgramName(std::wstring_view name) {
  if (name.empty() || name.size() > kMaxNameChars) return false;
  // Blanks at either end would not survive the file: keys are read back trimmed.
  if (name.front() == L' ' || name.back() == L' ' || name.back() == L'.') return false;
  return std::none_of(name.begin(), name.end(),
                      [](wchar_t c) { return c < 0x20 || c == 0x7F || kForbidden.find(c) != std::wstring_view::npos; });
}

ProgramBindings ReadBindings(const std::vector<IniEntry>& entries) {
  ProgramBindings bindings;
  for (const IniEntry& entry : entries) {
    if (bindings.size() >= kMaxProgramBindings) break;
    const int profile = ini_rules::ParseStoredInt(entry.value, 0);
    if (!IsProgramName(entry.key) || profile < 1 || profile > 3) continue;
    if (BoundProfile(bindings, entry.key) != 0) continue;  // the first line of a program counts
    bindings.push_back({entry.key, profile});
  }
  return bindings;
}

std::vector<IniEntry> BindingEntries(const ProgramBindings& bindings) {
  std::vector<IniEntry> entries;
  entries.reserve(bindings.size());
  for (const ProgramBinding& binding : bindings) entries.push_back({binding.program, FormatInt(binding.profile)});
  return entries;
}

int BoundProfile(const ProgramBindings& bindings, std::wstring_view path) {
  const std::wstring_view name = FileNameOf(path);
  for (const ProgramBinding& binding : bindings) {
    if (SameProgram(binding.program, name)) return binding.profile;
  }
  return 0;
}

bool SetBinding(ProgramBindings& bindings, std::wstring_view program, int profile) {
  if (!IsProgramName(program) || profile < 1 || profile > 3) return false;
  for (ProgramBinding& binding : bindings) {
    if (SameProgram(binding.program, program)) {
      binding.profile = profile;
      return true;
    }
  }
  if (bindings.size() >= kMaxProgramBindings) return false;
  bindings.push_back({std::wstring(program), profile});
  return true;
}

}  // namespace orvelle

#include "base/language.h"

namespace orvelle {
namespace {

// A LANGID keeps its primary language in its low ten bits; the rest names the region.
constexpr unsigned kPrimaryLanguageMask = 0x3FF;
constexpr unsigned kPrimaryRussian = 0x19;

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::wstring_view LanguageCode(Language language) { return language == Language::Russian ? L"ru" : L"en"; }

std::optional<Language> LanguageFromCode(std::wstring_view code) {
  for (Language language : {Language::Russian, Language::English}) {
    if (EqualNoCase(code, LanguageCode(language))) return language;
  }
  return std::nullopt;
}

Language LanguageOf(unsigned uiLanguageId, std::wstring_view storedValue) {
  if (const std::optional<Language> chosen = LanguageFromCode(storedValue)) return *chosen;
  return (uiLanguageId & kPrimaryLanguageMask) == kPrimaryRussian ? Language::Russian : Language::English;
}

}  // namespace orvelle

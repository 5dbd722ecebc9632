#include "base/language.h"

#include "base/ini_section.h"

namespace orvelle {
namespace {

// A LANGID keeps its primary language in its low ten bits; the rest names the region.
constexpr unsigned kPrimaryLanguageMask = 0x3FF;
constexpr unsigned kPrimaryRussian = 0x19;

}  // namespace

std::wstring_view LanguageCode(Language language) { return language == Language::Russian ? L"ru" : L"en"; }

std::optional<Language> LanguageFromCode(std::wstring_view code) {
  for (Language language : {Language::Russian, Language::English}) {
    if (ini_rules::LowerAscii(code) == LanguageCode(language)) return language;
  }
  return std::nullopt;
}

Language LanguageOf(unsigned uiLanguageId, std::wstring_view storedValue) {
  if (const std::optional<Language> chosen = LanguageFromCode(storedValue)) return *chosen;
  return (uiLanguageId & kPrimaryLanguageMask) == kPrimaryRussian ? Language::Russian : Language::English;
}

}  // namespace orvelle

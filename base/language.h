#pragma once

#include <optional>
#include <string_view>

namespace orvelle {

// The languages the interface speaks. One screen shows one of them, never a mix.
enum class Language { Russian, English };

// The code a language is stored and looked up by: "ru" or "en".
std::wstring_view LanguageCode(Language language);
// The language of a stored code, ignoring ASCII case; nothing for any other value.
std::optional<Language> LanguageFromCode(std::wstring_view code);

// The language the interface starts in: the one the user chose (`storedValue`, the stored code, empty
// when none was chosen) wins; else Russian when the user's UI language (a Windows LANGID) is
// Russian in any of its regions, else English.
Language LanguageOf(unsigned uiLanguageId, std::wstring_view storedValue);

}  // namespace orvelle

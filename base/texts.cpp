#include "base/texts.h"

#include <array>
#include <atomic>

#include "base/texts_tables.h"

namespace orvelle {
namespace {

using IndexedTexts = std::array<std::wstring_view, kTextCount>;

// A table as its file lists it, laid out by id so that a look-up is an index.
IndexedTexts Indexed(std::span<const TextEntry> entries) {
  IndexedTexts texts{};
  for (const TextEntry& entry : entries) {
    const int index = static_cast<int>(entry.id);
    if (index >= 0 && index < kTextCount) texts[static_cast<size_t>(index)] = entry.text;
  }
  return texts;
}

// Set once at start-up and by the "Language" menu, read by every window; a relaxed atomic is
// enough: a text shown a moment late in the old language is drawn again by the switch itself.
std::atomic<Language> current{Language::Russian};

}  // namespace

std::span<const TextEntry> TextTable(Language language) {
  return language == Language::Russian ? std::span<const TextEntry>(kRussianTexts, kRussianTextsCount)
                                       : std::span<const TextEntry>(kEnglishTexts, kEnglishTextsCount);
}

std::wstring_view TextIn(Language language, TextId id) {
  static const IndexedTexts russian = Indexed(TextTable(Language::Russian));
  static const IndexedTexts english = Indexed(TextTable(Language::English));
  const int index = static_cast<int>(id);
  if (index < 0 || index >= kTextCount) return {};
  return (language == Language::Russian ? russian : english)[static_cast<size_t>(index)];
}

void SetLanguage(Language language) { current.store(language, std::memory_order_relaxed); }

Language CurrentLanguage() { return current.load(std::memory_order_relaxed); }

std::wstring_view Text(TextId id) { return TextIn(CurrentLanguage(), id); }

std::wstring TextWith(TextId id, std::initializer_list<std::wstring_view> values) {
  const std::wstring_view pattern = Text(id);
  std::wstring out;
  out.reserve(pattern.size() + 64);
  auto value = values.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'{' && i + 1 < pattern.size() && pattern[i + 1] == L'}' && value != values.end()) {
      out += *value++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace orvelle

#include "platform/portable/portable_ini.h"

#include <algorithm>
#include <optional>

#include "base/ini_section.h"
#include "base/text.h"
#include "platform/portable/text_codec.h"

namespace orvelle {

// One INI file as lines, with the section and key structure found on demand.
struct IniDocument {
  std::vector<std::wstring> lines;

  static IniDocument Parse(const std::wstring& text) {
    IniDocument doc;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(L'\n', start);
      if (end == std::wstring::npos) end = text.size();
      std::wstring line = text.substr(start, end - start);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      doc.lines.push_back(std::move(line));
      start = end + 1;
    }
    return doc;
  }

  std::string Bytes() const {
    std::wstring text;
    for (const std::wstring& line : lines) {
      text += line;
      text += L"\r\n";
    }
    return EncodeText(text, TextEncoding::Utf16Le);
  }

  static std::optional<std::wstring_view> HeaderName(std::wstring_view line) {
    line = ini_rules::TrimBlanks(line);
    if (line.empty() || line.front() != L'[') return std::nullopt;
    line.remove_prefix(1);
    const size_t close = line.find(L']');
    if (close != std::wstring_view::npos) line = line.substr(0, close);
    return ini_rules::TrimBlanks(line);
  }

  // A key line's key and value, trimmed; a line without "=" is a key with an empty value.
  static std::optional<IniEntry> ParseEntry(std::wstring_view line) {
    const std::wstring_view trimmed = ini_rules::TrimBlanks(line);
    if (trimmed.empty()) return std::nullopt;
    const size_t equals = trimmed.find(L'=');
    if (equals == std::wstring_view::npos) return IniEntry{std::wstring(trimmed), {}};
    return IniEntry{std::wstring(ini_rules::TrimBlanks(trimmed.substr(0, equals))),
                    std::wstring(ini_rules::TrimBlanks(trimmed.substr(equals + 1)))};
  }

  // Lines [begin, end) of the first section called `name`; begin is its header line.
  std::optional<std::pair<size_t, size_t>> FindSection(std::wstring_view name) const {
    for (size_t i = 0; i < lines.size(); ++i) {
      const auto header = HeaderName(lines[i]);
      if (!header || !EqualAsciiNoCase(*header, name)) continue;
      size_t end = i + 1;
      while (end < lines.size() && !HeaderName(lines[end])) ++end;
      return std::make_pair(i, end);
    }
    return std::nullopt;
  }

  std::vector<IniEntry> Entries(std::wstring_view section) const {
    std::vector<IniEntry> entries;
    const auto range = FindSection(section);
    if (!range) return entries;
    for (size_t i = range->first + 1; i < range->second; ++i) {
      if (auto entry = ParseEntry(lines[i])) entries.push_back(std::move(*entry));
    }
    return entries;
  }

  // The section's range, created at the end of the file when missing.
  std::pair<size_t, size_t> SectionForWrite(std::wstring_view section) {
    if (const auto range = FindSection(section)) return *range;
    if (!lines.empty() && !ini_rules::TrimBlanks(lines.back()).empty()) lines.emplace_back();
    lines.push_back(L"[" + std::wstring(section) + L"]");
    return {lines.size() - 1, lines.size()};
  }

  // Just past the section's last key line, so appended keys stay ahead of the blank line that
  // separates it from the next section.
  size_t EndOfKeys(std::pair<size_t, size_t> range) const {
    size_t end = range.second;
    while (end > range.first + 1 && ini_rules::TrimBlanks(lines[end - 1]).empty()) --end;
    return end;
  }
};

namespace {

std::wstring EntryLine(std::wstring_view key, std::wstring_view value) {
  return std::wstring(key) + L"=" + std::wstring(value);
}

const IniEntry* FindEntry(const std::vector<IniEntry>& entries, std::wstring_view key) {
  for (const IniEntry& entry : entries) {
    if (EqualAsciiNoCase(entry.key, key)) return &entry;
  }
  return nullptr;
}

}  // namespace

std::optional<IniDocument> PortableIni::Load(const std::wstring& path) {
  std::string bytes;
  switch (files_->Read(path, bytes)) {
    case ReadOutcome::Read:
      return IniDocument::Parse(DecodeFileText(bytes, legacy_));
    case ReadOutcome::Missing:
      return IniDocument{};
    case ReadOutcome::Unreadable:
      break;
  }
  unreadable_ = true;
  return std::nullopt;
}

void PortableIni::Save(const std::wstring& path, const IniDocument& doc) { files_->Write(path, doc.Bytes()); }

int PortableIni::ReadInt(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                         int fallback) {
  const auto doc = Load(path);
  if (!doc) return fallback;
  const auto entries = doc->Entries(section);
  const IniEntry* entry = FindEntry(entries, key);
  return entry ? ini_rules::ParseStoredInt(entry->value, fallback) : fallback;
}

std::wstring PortableIni::ReadString(const std::wstring& path, std::wstring_view section,
                                     std::wstring_view key, std::wstring_view fallback) {
  return IniSection(ReadSection(path, section)).String(key, fallback);
}

std::vector<IniEntry> PortableIni::ReadSection(const std::wstring& path, std::wstring_view section) {
  const auto doc = Load(path);
  return doc ? doc->Entries(section) : std::vector<IniEntry>{};
}

void PortableIni::WriteString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                              std::wstring_view value) {
  auto loaded = Load(path);
  if (!loaded) return;
  IniDocument& doc = *loaded;
  const auto range = doc.SectionForWrite(section);
  for (size_t i = range.first + 1; i < range.second; ++i) {
    const auto entry = IniDocument::ParseEntry(doc.lines[i]);
    if (entry && EqualAsciiNoCase(entry->key, key)) {
      doc.lines[i] = EntryLine(entry->key, value);
      Save(path, doc);
      return;
    }
  }
  doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(doc.EndOfKeys(range)), EntryLine(key, value));
  Save(path, doc);
}

void PortableIni::WriteSection(const std::wstring& path, std::wstring_view section,
                               const std::vector<IniEntry>& entries) {
  auto loaded = Load(path);
  if (!loaded) return;
  IniDocument& doc = *loaded;
  const auto range = doc.SectionForWrite(section);
  const size_t keysEnd = doc.EndOfKeys(range);
  const auto first = doc.lines.begin() + static_cast<std::ptrdiff_t>(range.first + 1);
  doc.lines.erase(first, doc.lines.begin() + static_cast<std::ptrdiff_t>(keysEnd));
  std::vector<std::wstring> fresh;
  fresh.reserve(entries.size());
  for (const IniEntry& entry : entries) fresh.push_back(EntryLine(entry.key, entry.value));
  doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(range.first + 1), fresh.begin(), fresh.end());
  Save(path, doc);
}

void PortableIni::DeleteKey(const std::wstring& path, std::wstring_view section, std::wstring_view key) {
  auto loaded = Load(path);
  if (!loaded) return;
  IniDocument& doc = *loaded;
  const auto range = doc.FindSection(section);
  if (!range) return;
  // Every line of the key goes: a hand-edited file may hold it twice.
  const auto first = doc.lines.begin() + static_cast<std::ptrdiff_t>(range->first + 1);
  const auto end = doc.lines.begin() + static_cast<std::ptrdiff_t>(range->second);
  const auto kept = std::remove_if(first, end, [&key](const std::wstring& line) {
    const auto entry = IniDocument::ParseEntry(line);
    return entry && EqualAsciiNoCase(entry->key, key);
  });
  if (kept == end) return;
  doc.lines.erase(kept, end);
  Save(path, doc);
}

void PortableIni::DeleteSection(const std::wstring& path, std::wstring_view section) {
  auto loaded = Load(path);
  if (!loaded) return;
  IniDocument& doc = *loaded;
  const auto range = doc.FindSection(section);
  if (!range) return;
  doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(range->first),
                  doc.lines.begin() + static_cast<std::ptrdiff_t>(range->second));
  // The blank line that set it apart from the section before goes with it.
  if (range->first > 0 && range->first == doc.lines.size() && ini_rules::TrimBlanks(doc.lines.back()).empty()) {
    doc.lines.pop_back();
  }
  Save(path, doc);
}

}  // namespace orvelle

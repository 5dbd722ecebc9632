#include "model/key_table.h"

#include <cstdint>

#include "base/ini_section.h"
#include "base/text.h"

namespace orvelle {

Rect ParseLayoutRect(std::wstring_view value) {
  return Rect::FromOriginAndSize(ParseInt(ExtractField(value, 0)), ParseInt(ExtractField(value, 1)),
                                 ParseInt(ExtractField(value, 2)), ParseInt(ExtractField(value, 3)));
}

void LoadLayout(IniAccess& ini, const std::wstring& path, KeyTable& table) {
  const IniSection section(ini.ReadSection(path, L"BUTTONINFO"));
  table.media.clear();
  for (int entry = 1; entry <= kEntryCount; ++entry) {
    const std::wstring value = section.String(FormatInt(entry));
    KeySlot& slot = table.slots[static_cast<size_t>(entry - 1)];
    slot.area = ParseLayoutRect(value);
    if (entry < kFirstButtonEntry) {
      slot.keyCode = ParseInt(ExtractField(value, 4));
      slot.name = std::wstring(ExtractField(value, 5));
      if (entry >= kFirstMediaEntry) table.media.emplace(slot.name, slot.keyCode);
    } else {
      slot.keyCode = 0;
      slot.name = std::wstring(ExtractField(value, 4));
    }
  }
}

CompositeLayout LoadCompositeLayout(IniAccess& ini, const std::wstring& path) {
  const IniSection section(ini.ReadSection(path, L"BUTTONINFO"));
  CompositeLayout layout{};
  for (int entry = 1; entry <= kCompositeEntryCount; ++entry) {
    layout[static_cast<size_t>(entry - 1)] = ParseLayoutRect(section.String(FormatInt(entry)));
  }
  return layout;
}

}  // namespace orvelle

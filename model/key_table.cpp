#include "model/key_table.h"

#include <cstdint>

#include "base/ini_section.h"
#include "base/text.h"

namespace orvelle {

Rect KeyTable::HitRect(int entry) const {
  const KeySlot& s = Entry(entry);
  return Rect::FromOriginAndSize(s.x, s.y, s.width, s.height);
}

LayoutRecord ParseLayoutRect(std::wstring_view value) {
  return LayoutRecord{ParseInt(ExtractField(value, 0)), ParseInt(ExtractField(value, 1)),
                      ParseInt(ExtractField(value, 2)), ParseInt(ExtractField(value, 3))};
}

void LoadLayout(IniAccess& ini, const std::wstring& path, KeyTable& table) {
  const IniSection section(ini.ReadSection(path, L"BUTTONINFO"));
  table.media.clear();
  for (int entry = 1; entry <= kEntryCount; ++entry) {
    const std::wstring value = section.String(FormatInt(entry));
    const LayoutRecord rect = ParseLayoutRect(value);
    KeySlot& slot = table.slots[static_cast<size_t>(entry - 1)];
    slot.x = rect.x;
    slot.y = rect.y;
    slot.width = rect.width;
    slot.height = rect.height;
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
    const LayoutRecord r = ParseLayoutRect(section.String(FormatInt(entry)));
    layout[static_cast<size_t>(entry - 1)] = Rect::FromOriginAndSize(r.x, r.y, r.width, r.height);
  }
  return layout;
}

}  // namespace orvelle

#include "model/key_table.h"

#include <cstdint>

#include "model/ini_section.h"
#include "model/text.h"

namespace orvelle {

Rect KeyTable::HitRect(int entry) const {
  // Hand-edited layouts may hold any numbers: add in 64 bits and saturate.
  auto edge = [](int origin, int extent) {
    const long long sum = static_cast<long long>(origin) + extent;
    return static_cast<int>(sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : sum);
  };
  const KeySlot& s = Entry(entry);
  return Rect{s.x, s.y, edge(s.x, s.width), edge(s.y, s.height)};
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

}  // namespace orvelle

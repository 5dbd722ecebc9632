#include "app/main_window.h"

#include "app/key_tooltip.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orvelle {
namespace {

bool IsEntry(int entry) { return entry >= 1 && entry <= kEntryCount; }

}  // namespace

std::vector<Blit> RegionBlits(const KeyTable& table, RegionLook look, int entry) {
  std::vector<Blit> blits;
  if (!IsEntry(entry)) return blits;
  const Rect area = table.HitRect(entry);
  if (area.Width() > 0 && area.Height() > 0) blits.push_back({look, area});
  if (entry == 28) {
    // The strip left of entry 28 always shows the normal picture, as tall as entry 27.
    const Rect& slot = table.HitRect(28);
    const int height = table.HitRect(27).Height();
    if (height > 0) {
      blits.push_back({RegionLook::Normal, Rect::FromOriginAndSize(Rect::SaturatingSum(slot.left, -6), slot.top, 2, height)});
    }
  }
  return blits;
}

int HitTest(const KeyTable& table, Point client) {
  for (int entry = 1; entry <= kEntryCount; ++entry) {
    if (table.HitRect(entry).Contains(client)) return entry;
  }
  return kNoEntry;
}

ClickPlan HandleClick(const KeyTable& table, Point client) {
  static constexpr std::array<std::pair<std::wstring_view, ScreenAction>, 11> kButtons = {{
      {L"Close", ScreenAction::Hide},
      {L"Macro..", ScreenAction::MacroEdit},
      {L"Minimize", ScreenAction::Minimize},
      {L"Menu", ScreenAction::ButtonMenu},
      {L"Apply", ScreenAction::Apply},
      {L"OK", ScreenAction::ApplyAndHide},
      {L"Отмена", ScreenAction::Hide},
      {L"Default", ScreenAction::Reset},
      {L"Profile1", ScreenAction::Profile1},
      {L"Profile2", ScreenAction::Profile2},
      {L"Profile3", ScreenAction::Profile3},
  }};
  ClickPlan plan;
  plan.entry = HitTest(table, client);
  if (plan.entry == kNoEntry) return plan;
  const std::wstring& name = table.Entry(plan.entry).name;
  for (const auto& [buttonName, action] : kButtons) {
    if (name == buttonName) {
      plan.action = action;
      break;
    }
  }
  plan.keyEdit = plan.entry <= kEditableSlotCount;
  return plan;
}

HoverUpdate UpdateHover(const KeyTable& table, const ProfileData& working, Point client, HoverState& state) {
  HoverUpdate update;
  int entry = HitTest(table, client);
  // Media keys open nothing: they light nothing and leave the tip as it is.
  const bool mediaKey = entry > kEditableSlotCount && entry < kFirstButtonEntry;
  if (mediaKey) entry = kNoEntry;
  update.changed = state.hovered != entry;
  state.hovered = entry;
  if (mediaKey) return update;
  if (entry == kNoEntry) {
    update.tipText = std::wstring();
  } else if (entry <= kEditableSlotCount) {
    update.tipText = KeyTooltipText(table.Entry(entry).name, working.records[static_cast<size_t>(entry - 1)]);
  }
  return update;
}

bool EndHover(HoverState& state) {
  const bool lit = state.hovered != kNoEntry;
  state.hovered = kNoEntry;
  return lit;
}

}  // namespace orvelle

#include "app/main_window.h"

#include "app/key_tooltip.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orvelle {
namespace {

bool IsEntry(int entry) { return entry >= 1 && entry <= kEntryCount; }

void AppendAssigned(const std::vector<int>& assignedSlots, std::vector<RegionDraw>& draws) {
  for (int index : assignedSlots) {
    if (index >= 0 && index < kEntryCount) draws.push_back({RegionLook::Down, index + 1});
  }
}


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

std::vector<RegionDraw> ProfileButtonDraws(int activeProfile) {
  switch (activeProfile) {
    case 1:
      return {{RegionLook::Down, 128}, {RegionLook::Normal, 129}, {RegionLook::Normal, 130}};
    case 2:
      return {{RegionLook::Down, 129}, {RegionLook::Normal, 128}, {RegionLook::Normal, 130}};
    case 3:
      return {{RegionLook::Down, 130}, {RegionLook::Normal, 129}, {RegionLook::Normal, 128}};
    default:
      return {{RegionLook::Normal, 128}, {RegionLook::Normal, 129}, {RegionLook::Normal, 130}};
  }
}

std::vector<RegionDraw> PaintDraws(int activeProfile, const std::vector<int>& assignedSlots) {
  std::vector<RegionDraw> draws = ProfileButtonDraws(activeProfile);
  AppendAssigned(assignedSlots, draws);
  return draws;
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

HoverUpdate UpdateHover(const KeyTable& table, const ProfileData& working, int activeProfile, Point client,
                        HoverState& state) {
  HoverUpdate update;
  update.draws = ProfileButtonDraws(activeProfile);
  const int entry = HitTest(table, client);
  if (entry > kEditableSlotCount && entry < kFirstButtonEntry) return update;  // media keys: nothing more

  if (entry == kNoEntry) {
    update.draws.push_back({RegionLook::Normal, state.hovered});
    state.hovered = kNoEntry;
    update.tipText = std::wstring();
    AppendAssigned(working.assignedSlots, update.draws);
    return update;
  }
  const bool moved = state.hovered != entry;
  if (moved) update.draws.push_back({RegionLook::Normal, state.hovered});
  update.draws.push_back({RegionLook::Over, entry});
  if (entry <= kEditableSlotCount) {
    update.tipText = KeyTooltipText(table.Entry(entry).name, working.records[static_cast<size_t>(entry - 1)]);
  }
  state.hovered = entry;
  if (moved) AppendAssigned(working.assignedSlots, update.draws);
  return update;
}

}  // namespace orvelle

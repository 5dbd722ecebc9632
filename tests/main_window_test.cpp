// The main window's decisions: hit tests, clicks, painting, hover and tooltips, window outline.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "app/main_window.h"
#include "base/window_outline.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

constexpr RegionLook N = RegionLook::Normal, O = RegionLook::Over, D = RegionLook::Down;

// Key slots 1..121 in a row, 10 px wide; screen buttons below them; names per entry.
KeyTable GridTable() {
  KeyTable table = testing::MakeFullKeyTable();
  for (int e = 1; e <= kEntryCount; ++e) {
    KeySlot& s = table.slots[static_cast<size_t>(e - 1)];
    s.area = Rect::FromOriginAndSize(e <= kKeySlotCount ? (e - 1) * 10 : (e - kFirstButtonEntry) * 20,
                                     e <= kKeySlotCount ? 0 : 50, e <= kKeySlotCount ? 10 : 20, 10);
  }
  const wchar_t* buttons[] = {L"Close", L"Minimize", L"Menu",     L"Macro..",  L"Apply", L"Default",
                              L"Profile1", L"Profile2", L"Profile3", L"OK",      L"Отмена"};
  for (int i = 0; i < 11; ++i) table.slots[static_cast<size_t>(kFirstButtonEntry - 1 + i)].name = buttons[i];
  return table;
}

Point Centre(const KeyTable& table, int entry) {
  const Rect r = table.HitRect(entry);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(MainWindowClicks, DispatchByNameAndKeyEdit) {
  KeyTable table = GridTable();
  struct Case {
    int entry;
    ScreenAction action;
    bool keyEdit;
  } cases[] = {
      {122, ScreenAction::Hide, false},       {123, ScreenAction::Minimize, false},
      {124, ScreenAction::ButtonMenu, false}, {125, ScreenAction::MacroEdit, false},
      {126, ScreenAction::Apply, false},      {127, ScreenAction::Reset, false},
      {128, ScreenAction::Profile1, false},   {129, ScreenAction::Profile2, false},
      {130, ScreenAction::Profile3, false},   {131, ScreenAction::ApplyAndHide, false},
      {132, ScreenAction::Hide, false},       {1, ScreenAction::None, true},
      {104, ScreenAction::None, true},        {105, ScreenAction::None, false},
      {121, ScreenAction::None, false},
  };
  for (const Case& c : cases) {
    const ClickPlan plan = HandleClick(table, Centre(table, c.entry));
    EXPECT_EQ(plan.entry, c.entry);
    EXPECT_EQ(plan.action, c.action) << c.entry;
    EXPECT_EQ(plan.keyEdit, c.keyEdit) << c.entry;
  }
  EXPECT_EQ(HandleClick(table, {5000, 5000}).entry, kNoEntry);

  // Names compare exactly; a key slot carrying a button name runs both the action and the edit.
  table.slots[121].name = L"close";
  EXPECT_EQ(HandleClick(table, Centre(table, 122)).action, ScreenAction::None);
  table.slots[4].name = L"Apply";
  const ClickPlan both = HandleClick(table, Centre(table, 5));
  EXPECT_EQ(both.action, ScreenAction::Apply);
  EXPECT_TRUE(both.keyEdit);
}

TEST(MainWindowClicks, OverlapsResolveToTheLowestEntryAndEdgesFollowTheRectangleRule) {
  KeyTable table = GridTable();
  table.slots[129].area = Rect{0, 0, 20, 20};  // Profile3 on top of key slot 1
  EXPECT_EQ(HitTest(table, {5, 5}), 1);
  EXPECT_EQ(HitTest(table, {0, 0}), 1);     // left and top edges inside
  EXPECT_EQ(HitTest(table, {10, 0}), 2);    // right edge outside
  EXPECT_EQ(HitTest(table, {5, 10}), 130);  // bottom edge outside slot 1, inside Profile3 (0..20)
}

TEST(MainWindowPaint, ProfileButtonsThenAssignedSlots) {
  EXPECT_EQ(PaintDraws(1, {4, 0}), (std::vector<RegionDraw>{{D, 128}, {N, 129}, {N, 130}, {D, 5}, {D, 1}}));
  EXPECT_EQ(PaintDraws(2, {}), (std::vector<RegionDraw>{{D, 129}, {N, 128}, {N, 130}}));
  EXPECT_EQ(PaintDraws(3, {}), (std::vector<RegionDraw>{{D, 130}, {N, 129}, {N, 128}}));
  EXPECT_EQ(PaintDraws(7, {-1, 131, 132, 2}), (std::vector<RegionDraw>{{N, 128}, {N, 129}, {N, 130}, {D, 132}, {D, 3}}));
}

TEST(MainWindowPaint, RegionBlitsAndTheStripBesideEntry28) {
  KeyTable table = GridTable();
  table.slots[26].area.bottom = 14;  // entry 27
  EXPECT_EQ(RegionBlits(table, O, 5), (std::vector<Blit>{{O, Rect{40, 0, 50, 10}}}));
  EXPECT_EQ(RegionBlits(table, D, 28), (std::vector<Blit>{{D, Rect{270, 0, 280, 10}}, {N, Rect{264, 0, 266, 14}}}));
  EXPECT_TRUE(RegionBlits(table, O, kNoEntry).empty());
  EXPECT_TRUE(RegionBlits(table, O, 0).empty());
  EXPECT_TRUE(RegionBlits(table, O, 133).empty());
  table.slots[9].area.right = table.slots[9].area.left;
  EXPECT_TRUE(RegionBlits(table, D, 10).empty());
}

TEST(MainWindowHover, DrawsInOrderAndKeepsStateAsTheMouseMoves) {
  const KeyTable table = GridTable();
  ProfileData working;
  for (int e = 1; e <= kEntryCount; ++e) working.records[static_cast<size_t>(e - 1)].name = table.Entry(e).name;
  working.records[2].name = L"Копировать";
  working.records[2].kind = AssignKind::Function;
  working.assignedSlots = {2};  // entry 3
  HoverState state;
  const std::vector<RegionDraw> buttons = ProfileButtonDraws(1);
  auto with = [&](std::vector<RegionDraw> tail) {
    std::vector<RegionDraw> all = buttons;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };

  struct Step {
    const char* what;
    Point at;
    std::vector<RegionDraw> draws;
    std::optional<std::wstring> tip;
    int hovered;
  } steps[] = {
      {"first rest on an assigned key: Over, then the assigned keys Down", Centre(table, 3),
       with({{N, kNoEntry}, {O, 3}, {D, 3}}), L"K3: команда «Копировать»", 3},
      {"resting again on it: Over only", Centre(table, 3), with({{O, 3}}), L"K3: команда «Копировать»", 3},
      {"a media key changes nothing", Centre(table, 110), with({}), std::nullopt, 3},
      {"a screen button keeps the tip", Centre(table, 126), with({{N, 3}, {O, 126}, {D, 3}}), std::nullopt, 126},
      {"an unassigned key", Centre(table, 7), with({{N, 126}, {O, 7}, {D, 3}}), L"K7: не переназначена", 7},
      {"an empty spot clears the highlight and the tip", {5000, 5000}, with({{N, 7}, {D, 3}}), L"", kNoEntry},
  };
  for (const Step& s : steps) {
    const HoverUpdate update = UpdateHover(table, working, 1, s.at, state);
    EXPECT_EQ(update.draws, s.draws) << s.what;
    EXPECT_EQ(update.tipText, s.tip) << s.what;
    EXPECT_EQ(state.hovered, s.hovered) << s.what;
  }
}

TEST(WindowShape, RunsCoverExactlyTheNonWhitePixels) {
  constexpr int kWidth = 37, kHeight = 23;
  std::mt19937 random(7);
  std::vector<uint32_t> pixels(kWidth * kHeight);
  for (uint32_t& p : pixels) {
    const unsigned pick = random() % 4;
    p = pick == 0 ? 0x00FFFFFF : pick == 1 ? 0xFFFFFFFF : pick == 2 ? 0x00FFFFFE : 0x00000000;
  }
  std::set<std::pair<int, int>> covered;
  for (const Rect& r : OpaqueRuns(pixels.data(), kWidth, kHeight, kWidth)) {
    ASSERT_EQ(r.bottom, r.top + 1);
    for (int x = r.left; x < r.right; ++x) ASSERT_TRUE(covered.insert({x, r.top}).second) << "runs overlap";
  }
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool white = (pixels[static_cast<size_t>(y * kWidth + x)] & 0x00FFFFFF) == 0x00FFFFFF;
      EXPECT_EQ(covered.count({x, y}) == 1, !white) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace orvelle

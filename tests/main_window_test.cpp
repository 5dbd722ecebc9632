// The main window's decisions: hit tests, clicks, painting, hover and tooltips, window outline.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <set>

#include "app/main_window.h"
#include "app/window_face.h"
#include "base/window_outline.h"
#include "platform/portable/portable_ini.h"
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


// Whether the face copies the whole rectangle of the entry (of GridTable) from that picture.
bool FaceHas(const Face& face, RegionLook look, int entry) {
  static const KeyTable table = GridTable();
  return std::count(face.blits.begin(), face.blits.end(), Blit{look, table.HitRect(entry)}) > 0;
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

TEST(MainWindowHover, LightsOneEntryAtATimeAndEndsWhenThePointerLeaves) {
  const KeyTable table = GridTable();
  ProfileData working;
  for (int e = 1; e <= kEntryCount; ++e) working.records[static_cast<size_t>(e - 1)].name = table.Entry(e).name;
  working.records[2].name = L"Копировать";
  working.records[2].kind = AssignKind::Function;
  working.assignedSlots = {2};  // entry 3
  HoverState state;

  struct Step {
    const char* what;
    Point at;
    bool changed;
    std::optional<std::wstring> tip;
    int hovered;
  } steps[] = {
      {"first rest on an assigned key", Centre(table, 3), true, L"K3: команда «Копировать»", 3},
      {"resting again on it changes nothing", Centre(table, 3), false, L"K3: команда «Копировать»", 3},
      {"a media key lights nothing and keeps the tip", Centre(table, 110), true, std::nullopt, kNoEntry},
      {"a screen button keeps the tip", Centre(table, 126), true, std::nullopt, 126},
      {"an unassigned key", Centre(table, 7), true, L"K7: не переназначена", 7},
      {"an empty spot clears the highlight and the tip", {5000, 5000}, true, L"", kNoEntry},
      {"and again: nothing new", {5000, 5000}, false, L"", kNoEntry},
      {"a key once more", Centre(table, 104), true, L"K104: не переназначена", 104},
  };
  for (const Step& s : steps) {
    const HoverUpdate update = UpdateHover(table, working, s.at, state);
    EXPECT_EQ(update.changed, s.changed) << s.what;
    EXPECT_EQ(update.tipText, s.tip) << s.what;
    EXPECT_EQ(state.hovered, s.hovered) << s.what;
  }
  // The pointer leaves the window: the key is no longer lit, and the window's face shows it.
  const FaceLayout layout;
  FaceState face{1, state.hovered, false, {}, true, {}};
  EXPECT_TRUE(FaceHas(ComputeFace(table, layout, working, face), O, 104));
  EXPECT_TRUE(EndHover(state));
  EXPECT_EQ(state.hovered, kNoEntry);
  EXPECT_FALSE(EndHover(state)) << "a second leave has nothing to end";
  face.hovered = state.hovered;
  for (int e = 1; e <= kEntryCount; ++e) EXPECT_FALSE(FaceHas(ComputeFace(table, layout, working, face), O, e)) << e;
}

TEST(MainWindowFace, ProfileAndMouseKeysHaveLooksAndTurboItsMark) {
  auto record = [](AssignKind kind, ProfileTarget target, MouseAction mouse, int turboMs) {
    KeyAssignment a;
    a.kind = kind;
    a.profileTarget = target;
    a.mouse = mouse;
    a.turboMs = turboMs;
    return a;
  };
  struct Case {
    const char* what;
    KeyAssignment assignment;
    KeyFace face;
  } cases[] = {
      {"a profile key", record(AssignKind::Profile, ProfileTarget::Next, MouseAction::None, 0), {KeyLook::Command}},
      {"a profile key of an unknown target", record(AssignKind::Profile, ProfileTarget::None, MouseAction::None, 0),
       {KeyLook::Plain}},
      {"a mouse button", record(AssignKind::Mouse, ProfileTarget::None, MouseAction::Left, 0), {KeyLook::Remap}},
      {"a mouse button in turbo", record(AssignKind::Mouse, ProfileTarget::None, MouseAction::X2, 40),
       {KeyLook::Remap, false, true}},
      {"an unknown mouse action", record(AssignKind::Mouse, ProfileTarget::None, MouseAction::None, 40), {KeyLook::Plain}},
      {"another key in turbo", record(AssignKind::SingleKey, ProfileTarget::None, MouseAction::None, 50),
       {KeyLook::Remap, false, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(FaceOfAssignment(c.assignment), c.face) << c.what;
  const Rect key = Rect::FromOriginAndSize(100, 50, 38, 38);
  const std::vector<Fill> turbo = TurboMarkFills(key), hold = HoldMarkFills(key);
  ASSERT_FALSE(turbo.empty());
  EXPECT_TRUE(key.Contains({turbo.front().area.left, turbo.front().area.top})) << "the mark lies on the key";
  EXPECT_NE(turbo.front().area, hold.front().area) << "Turbo and Hold marks have corners of their own";
}

TEST(MainWindowFace, AKeyHeldDownLightsItsSlotsUntilLetGo) {
  const KeyTable table = GridTable();
  ProfileData working;
  FaceState state;
  const int code = table.Entry(5).keyCode;
  EXPECT_EQ(EntryOfKeyCode(table, code), 5);
  EXPECT_EQ(EntryOfKeyCode(table, 0), kNoEntry);
  EXPECT_FALSE(FaceHas(ComputeFace(table, FaceLayout{}, working, state), O, 5));
  state.pressed.set(static_cast<size_t>(code));
  EXPECT_TRUE(FaceHas(ComputeFace(table, FaceLayout{}, working, state), O, 5)) << "held: the over look";
  state.pressed.reset();
  EXPECT_FALSE(FaceHas(ComputeFace(table, FaceLayout{}, working, state), O, 5)) << "let go of: gone";
}

TEST(MainWindowFace, EachKindHasItsLookAndHoldItsMark) {
  struct Case {
    const char* what;
    AssignKind kind;
    bool hold;
    std::wstring text, program;
    KeyLook look;
    bool marked;
  } cases[] = {
      {"another key", AssignKind::SingleKey, false, L"", L"", KeyLook::Remap, false},
      {"another key, held", AssignKind::SingleKey, true, L"", L"", KeyLook::Remap, true},
      {"a command", AssignKind::Function, false, L"", L"", KeyLook::Command, false},
      {"a media key", AssignKind::Media, true, L"", L"", KeyLook::Command, true},
      {"a macro", AssignKind::Macro, false, L"", L"", KeyLook::Macro, false},
      {"a macro, held", AssignKind::Macro, true, L"", L"", KeyLook::Macro, true},
      {"a text", AssignKind::Text, false, L"hi", L"", KeyLook::Text, false},
      {"a text record without a text sends the key itself", AssignKind::Text, false, L"", L"", KeyLook::Plain, false},
      {"a program", AssignKind::Program, false, L"", L"C:\\a.exe", KeyLook::Program, false},
      {"a program record without a path", AssignKind::Program, false, L"", L"", KeyLook::Plain, false},
      {"off, whatever the hold flag says", AssignKind::Disabled, true, L"", L"", KeyLook::Off, false},
      {"a kind of a later version", KindOfNumber(9), true, L"", L"", KeyLook::Plain, false},
      {"a negative kind", KindOfNumber(-1), false, L"", L"", KeyLook::Plain, false},
  };
  const KeyTable table = GridTable();
  const std::map<KeyLook, RegionLook> pictures = {
      {KeyLook::Remap, D},           {KeyLook::Command, RegionLook::Command}, {KeyLook::Macro, RegionLook::Macro},
      {KeyLook::Text, RegionLook::Text}, {KeyLook::Program, RegionLook::Program}, {KeyLook::Off, RegionLook::Off}};
  for (const Case& c : cases) {
    KeyAssignment record;
    record.kind = c.kind;
    record.hold = c.hold;
    record.text = c.text;
    record.program = c.program;
    EXPECT_EQ(FaceOfAssignment(record), (KeyFace{c.look, c.marked})) << c.what;

    // The face of the window shows that look on the key, and the mark in its corner.
    ProfileData working;
    working.records[4] = record;
    working.assignedSlots = {4};
    const Face face = ComputeFace(table, FaceLayout{}, working, FaceState{});
    const Rect key = table.HitRect(5);
    for (const auto& [look, picture] : pictures) {
      EXPECT_EQ(FaceHas(face, picture, 5), look == c.look) << c.what;
    }
    EXPECT_EQ(face.fills, c.marked ? HoldMarkFills(key) : std::vector<Fill>{}) << c.what;
  }
  // The marks sit inside the key's corners, Hold at the right and Turbo at the left, apart.
  const Rect key = Rect::FromOriginAndSize(100, 50, 38, 38);
  EXPECT_EQ(HoldMarkArea(key), Rect::FromOriginAndSize(122, 56, 10, 8));
  EXPECT_EQ(TurboMarkArea(key), Rect::FromOriginAndSize(106, 56, 10, 8));
  for (const Fill& fill : HoldMarkFills(key)) {
    const Rect& a = fill.area;
    EXPECT_TRUE(a.left >= 122 && a.right <= 132 && a.top >= 56 && a.bottom <= 64) << "a mark stays in its corner";
  }
}

TEST(MainWindowFace, KindLooksRecolourTheLitKey) {
  // The down look's cap, its legend and the plate around it, in each look.
  const Rgb face{255, 184, 76}, legend{44, 22, 0}, plate{14, 15, 18};
  struct Case {
    KeyLook look;
    Rgb face, legend;
  } cases[] = {
      {KeyLook::Plain, face, legend},          {KeyLook::Remap, face, legend},
      {KeyLook::Command, {180, 76, 255}, {25, 0, 44}}, {KeyLook::Macro, {76, 255, 90}, {0, 44, 3}},
      {KeyLook::Text, {76, 150, 255}, {0, 18, 44}},    {KeyLook::Program, {255, 76, 195}, {44, 0, 29}},
      {KeyLook::Off, {140, 87, 87}, {24, 11, 11}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RecolourForLook(face, c.look), c.face) << static_cast<int>(c.look);
    EXPECT_EQ(RecolourForLook(legend, c.look), c.legend) << static_cast<int>(c.look);
    const Rgb p = RecolourForLook(plate, c.look);
    EXPECT_LE(std::abs(p.r - plate.r) + std::abs(p.g - plate.g) + std::abs(p.b - plate.b), c.look == KeyLook::Off ? 24 : 8)
        << "grey plate stays grey";
  }
}

TEST(MainWindowFace, TheActiveProfileIsLitWhateverHappenedBefore) {
  const KeyTable table = GridTable();
  ProfileData working;
  working.assignedSlots = {0, 4};
  // Whatever lit or put out something else (a hover anywhere, the pointer gone, edits pending, a
  // switch), the face is computed from the state alone, so each profile's button is lit.
  const int hovers[] = {kNoEntry, 1, 5, 126, 128, 129, 130, 110};
  for (int profile = 1; profile <= 3; ++profile) {
    for (int hovered : hovers) {
      for (bool pending : {false, true}) {
        const Face face = ComputeFace(table, FaceLayout{}, working, FaceState{profile, hovered, pending, {}, true, {}});
        for (int n = 1; n <= 3; ++n) {
          EXPECT_EQ(FaceHas(face, D, kProfileButtonEntry + n - 1), n == profile)
              << "profile " << profile << ", hovered " << hovered << ", button " << n;
        }
        // The other profile buttons light under the pointer only.
        for (int n = 1; n <= 3; ++n) {
          const int entry = kProfileButtonEntry + n - 1;
          EXPECT_EQ(FaceHas(face, O, entry), entry == hovered && n != profile) << profile << " " << hovered;
        }
      }
    }
  }
  EXPECT_FALSE(FaceHas(ComputeFace(table, FaceLayout{}, working, FaceState{0, kNoEntry, false, {}, true, {}}), D, 128));
}

TEST(MainWindowFace, ApplyIsLitOnlyWhileEditsWait) {
  KeyTable table = GridTable();
  ProfileData working;
  struct Case {
    bool pending;
    int hovered;
    RegionLook shown;
    bool lit;
  } cases[] = {{false, kNoEntry, N, false}, {true, kNoEntry, D, true}, {true, 126, O, false}, {false, 126, O, false}};
  for (const Case& c : cases) {
    const Face face = ComputeFace(table, FaceLayout{}, working, FaceState{1, c.hovered, c.pending, {}, true, {}});
    EXPECT_EQ(FaceHas(face, D, 126), c.lit) << c.pending << " " << c.hovered;
    if (c.shown != N) {
      EXPECT_TRUE(FaceHas(face, c.shown, 126)) << c.pending << " " << c.hovered;
    }
  }
  table.slots[125].name = L"Menu";  // no "Apply" at that entry: nothing to light
  EXPECT_FALSE(FaceHas(ComputeFace(table, FaceLayout{}, working, FaceState{1, kNoEntry, true, {}, true, {}}), D, 126));
}

TEST(MainWindowFace, LampsAndTheMissingKeyboardFromTheLayout) {
  const KeyTable table = GridTable();
  const testing::TempFolder folder;
  PortableIni ini;
  // Older readers see only BUTTONINFO; the new section follows it.
  const FaceLayout layout = LoadFaceLayout(
      ini, folder.WriteUtf16(L"Main.ini", L"[BUTTONINFO]\n1=0,0,10,10,27,Esc\n[INDICATORS]\nNumLock=800,110,12,12\n"
                                          L"CapsLock=850,110,12,12\nScrollLock=900,110,12,12\nNoKeyboard=250,20,200,24\n"
                                          L"Legend=480,20,400,26\n"));
  EXPECT_EQ(layout.lamps[1], Rect::FromOriginAndSize(850, 110, 12, 12));
  EXPECT_EQ(layout.notice, Rect::FromOriginAndSize(250, 20, 200, 24));
  const Rect num = layout.lamps[0], caps = layout.lamps[1], scroll = layout.lamps[2];
  struct Case {
    LockStates locks;
    bool present;
    std::vector<Rect> lit;
  } cases[] = {
      {{false, false, false}, true, {}},
      {{true, false, false}, true, {num}},
      {{false, true, false}, true, {caps}},
      {{true, true, true}, true, {num, caps, scroll}},
      {{false, false, true}, false, {scroll}},
  };
  const ProfileData working;
  for (const Case& c : cases) {
    const Face face = ComputeFace(table, layout, working, FaceState{1, kNoEntry, false, c.locks, c.present, {}});
    EXPECT_EQ(face.litLamps, c.lit) << c.locks.num << c.locks.caps << c.locks.scroll << c.present;
    EXPECT_EQ(face.notice, c.present ? std::nullopt : std::optional<Rect>(layout.notice)) << c.present;
    EXPECT_EQ(face.legend, Rect::FromOriginAndSize(480, 20, 400, 26));
  }
  // An older layout without the section: no lamp lights, and the notice has no place of its own.
  const FaceLayout none = LoadFaceLayout(ini, folder.WriteUtf16(L"Older.ini", L"[BUTTONINFO]\n1=0,0,10,10,27,Esc\n"));
  EXPECT_EQ(none, FaceLayout{});
  const Face face = ComputeFace(table, none, working, FaceState{1, kNoEntry, false, {true, true, true}, false, {}});
  EXPECT_TRUE(face.litLamps.empty());
  EXPECT_EQ(face.notice, std::optional<Rect>(Rect{}));
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

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/key_table.h"
#include "model/profile_set.h"

namespace orvelle {

// Which of the three skin pictures a region is copied from.
enum class RegionLook { Normal = 0, Over = 1, Down = 2 };

inline constexpr int kNoEntry = -1;
inline constexpr int kProfileButtonEntry = 128;  // 128, 129, 130: profiles 1, 2, 3

// One DrawRegion call.
struct RegionDraw {
  RegionLook look;
  int entry;
  bool operator==(const RegionDraw&) const = default;
};

// One copy of a rectangle from a skin picture to the same place on the window.
struct Blit {
  RegionLook from;
  Rect area;
  bool operator==(const Blit&) const = default;
};

// The copies DrawRegion makes for one region: its rectangle from the picture of `look` and, for
// entry 28 only, a 2-pixel strip left of it from the normal picture. Nothing for −1, an entry
// outside the table, or an empty rectangle.
std::vector<Blit> RegionBlits(const KeyTable& table, RegionLook look, int entry);

// The first entry (lowest number) whose hit rectangle contains the point, or −1.
int HitTest(const KeyTable& table, Point client);

// The three profile buttons as a full repaint draws them: the active one Down first, the other
// two Normal. A number outside 1..3 draws all three Normal.
std::vector<RegionDraw> ProfileButtonDraws(int activeProfile);

// What a full repaint draws over the normal picture: the profile buttons, then every assigned key
// slot Down. Elements that name no layout entry are skipped.
std::vector<RegionDraw> PaintDraws(int activeProfile, const std::vector<int>& assignedSlots);

// What a press on the window does, besides letting the window be dragged.
enum class ScreenAction {
  None,
  Hide,          // "Close" and "Отмена"
  MacroEdit,     // "Macro.."
  Minimize,
  ButtonMenu,    // "Menu"
  Apply,
  ApplyAndHide,  // "OK"
  Reset,         // "Default"
  Profile1,
  Profile2,
  Profile3,
};

struct ClickPlan {
  int entry = kNoEntry;
  ScreenAction action = ScreenAction::None;
  bool keyEdit = false;  // entries 1..104 open the assignment dialog
};
ClickPlan HandleClick(const KeyTable& table, Point client);

// Where the mouse rested last: the entry drawn Over, or −1.
struct HoverState {
  int hovered = kNoEntry;
};

struct HoverUpdate {
  std::vector<RegionDraw> draws;       // in order
  std::optional<std::wstring> tipText;  // empty optional: the tip keeps its text
};

// One hover notification at `client`: the draws to make, in order, and the new tip text.
HoverUpdate UpdateHover(const KeyTable& table, const ProfileData& working, int activeProfile, Point client,
                        HoverState& state);

}  // namespace orvelle

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/key_table.h"
#include "model/profile_set.h"

namespace orvelle {

// Which picture a region is copied from: the skin's three looks of every region, and the looks of
// the kinds of assigned keys, which the program makes from the down picture as it loads the skin.
enum class RegionLook { Normal = 0, Over = 1, Down = 2, Command = 3, Macro = 4, Text = 5, Program = 6, Off = 7 };
inline constexpr int kPictureCount = 8;

inline constexpr int kNoEntry = -1;
inline constexpr int kProfileButtonEntry = 128;  // 128, 129, 130: profiles 1, 2, 3

// One copy of a rectangle from a skin picture to the same place on the window.
struct Blit {
  RegionLook from;
  Rect area;
  bool operator==(const Blit&) const = default;
};

// The copies that draw one region: its rectangle from the picture of `look` and, for
// entry 28 only, a 2-pixel strip left of it from the normal picture. Nothing for −1, an entry
// outside the table, or an empty rectangle.
std::vector<Blit> RegionBlits(const KeyTable& table, RegionLook look, int entry);

// The first entry (lowest number) whose hit rectangle contains the point, or −1.
int HitTest(const KeyTable& table, Point client);

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

// Where the mouse rests: the entry drawn Over, or −1.
struct HoverState {
  int hovered = kNoEntry;
};

struct HoverUpdate {
  bool changed = false;                 // another entry (or none) is hovered: the face changed
  std::optional<std::wstring> tipText;  // empty optional: the tip keeps its text
};

// One hover notification at `client`: the entry it lights (a key slot that opens the dialog or a
// screen button; nothing over a media key or an empty spot) and the new tip text.
HoverUpdate UpdateHover(const KeyTable& table, const ProfileData& working, Point client, HoverState& state);

// The pointer left the window (or went where the window no longer sees it): nothing is lit any
// more. True when something was.
bool EndHover(HoverState& state);

}  // namespace orvelle

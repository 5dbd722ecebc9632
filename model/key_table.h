#pragma once

#include <array>
#include <map>
#include <string>

#include "base/geometry.h"
#include "base/ini.h"

namespace orvelle {

constexpr int kEntryCount = 132;        // layout entries 1..132
constexpr int kKeySlotCount = 121;      // entries 1..121 carry assignments
constexpr int kEditableSlotCount = 104; // entries 1..104 open the assignment dialog
constexpr int kFirstMediaEntry = 104;   // entries 104..121 also fill the media name map
constexpr int kFirstButtonEntry = 122;  // entries 122..132 are screen buttons
constexpr int kMaxKeyCode = 254;        // real keys are 1..254

// A code the program may read from a file and send: a real key.
constexpr bool IsSendableKeyCode(int code) noexcept { return code >= 1 && code <= kMaxKeyCode; }

// The keypad keys that double as navigation keys, and the navigation key each sends while
// NumLock is off. Keypad 5 (101) has no such twin.
struct KeypadPair {
  int keypad;
  int navigation;
};
inline constexpr std::array<KeypadPair, 10> kKeypadPairs = {{
    {96, 45},   // 0: Insert
    {97, 35},   // 1: End
    {98, 40},   // 2: Down
    {99, 34},   // 3: Page Down
    {100, 37},  // 4: Left
    {102, 39},  // 6: Right
    {103, 36},  // 7: Home
    {104, 38},  // 8: Up
    {105, 33},  // 9: Page Up
    {110, 46},  // .: Delete
}};

// The code a keypad key sends when NumLock is off; every other code unchanged.
constexpr int TranslateNumpadCode(int code, bool numLockOn) noexcept {
  if (numLockOn) return code;
  for (const KeypadPair& pair : kKeypadPairs) {
    if (pair.keypad == code) return pair.navigation;
  }
  return code;
}

struct KeySlot {
  Rect area;  // where it lies on the picture, and where a click hits it
  std::wstring name;
  int keyCode = 0;  // key slots only
};

// Display name -> key code of entries 104..121; the lowest entry wins for a repeated name.
using MediaNameMap = std::map<std::wstring, int>;

// Where every key and screen button lies on the keyboard picture, read from "Main.ini".
struct KeyTable {
  std::array<KeySlot, kEntryCount> slots;  // key-table index = entry - 1
  MediaNameMap media;

  const KeySlot& Entry(int entry) const { return slots[static_cast<size_t>(entry - 1)]; }
  // The hit rectangle of an entry (1..132).
  const Rect& HitRect(int entry) const { return Entry(entry).area; }
};

// The rectangle of a layout value "x,y,width,height,...". Field rules shared with the dialog's
// composite layout: fields cut at commas, numbers parsed like _wtoi, the value first cut to 259
// characters.
Rect ParseLayoutRect(std::wstring_view value);

// Reads section "BUTTONINFO" of the layout file into `table` (key slots, screen buttons, media
// names). A missing file or entry gives zeros and an empty name.
void LoadLayout(IniAccess& ini, const std::wstring& path, KeyTable& table);

// The assignment dialog's composite layout ("Composite.ini", section "BUTTONINFO"): where its
// entries 1..46 place their controls, in dialog coordinates, by the same field rules. A missing
// entry places nothing (an empty rectangle): a layout made before entries 24..27, 28..36, 37..38
// or 39..46 existed leaves the controls they place out of sight.
inline constexpr int kCompositeEntryCount = 46;
using CompositeLayout = std::array<Rect, kCompositeEntryCount>;
CompositeLayout LoadCompositeLayout(IniAccess& ini, const std::wstring& path);

}  // namespace orvelle

#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "platform/ini.h"

namespace orvelle {

constexpr int kEntryCount = 132;        // layout entries 1..132
constexpr int kKeySlotCount = 121;      // entries 1..121 carry assignments
constexpr int kEditableSlotCount = 104; // entries 1..104 open the assignment dialog
constexpr int kFirstMediaEntry = 104;   // entries 104..121 also fill the media name map
constexpr int kFirstButtonEntry = 122;  // entries 122..132 are screen buttons
constexpr int kMaxKeyCode = 254;        // real keys are 1..254

// A code the program may read from a file and send: a real key.
constexpr bool IsSendableKeyCode(int code) noexcept { return code >= 1 && code <= kMaxKeyCode; }

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// Left and top edges inside, right and bottom edges outside.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  // Layout files may hold any numbers, so every sum and difference saturates instead of
  // overflowing.
  int Width() const { return SaturatingSum(right, -static_cast<long long>(left)); }
  int Height() const { return SaturatingSum(bottom, -static_cast<long long>(top)); }
  static Rect FromOriginAndSize(int x, int y, int width, int height) {
    return Rect{x, y, SaturatingSum(x, width), SaturatingSum(y, height)};
  }
  static int SaturatingSum(long long a, long long b) {
    const long long sum = a + b;
    return static_cast<int>(sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : sum);
  }
  bool operator==(const Rect&) const = default;
};

struct KeySlot {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
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
  Rect HitRect(int entry) const;
};

// Field rules shared with the dialog's composite layout: fields cut at commas, numbers parsed
// like _wtoi, the value first cut to 259 characters.
struct LayoutRecord {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
LayoutRecord ParseLayoutRect(std::wstring_view value);

// Reads section "BUTTONINFO" of the layout file into `table` (key slots, screen buttons, media
// names). A missing file or entry gives zeros and an empty name.
void LoadLayout(IniAccess& ini, const std::wstring& path, KeyTable& table);

}  // namespace orvelle

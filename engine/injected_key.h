#pragma once

#include <cstdint>

namespace orvelle {

// The extra-information value of every event we inject ("ORVL"), so that our own hooks can tell
// our output from other programs' injected input.
inline constexpr uintptr_t kInjectionTag = 0x4F52564C;

// How a queued key code goes to the system: the virtual key and whether it carries the extended
// flag. Without the flag the navigation keys arrive as their keypad twins and right Ctrl and Alt
// as the left ones; the system's own scan code table leaves some of these keys out, so this table
// decides.
struct InjectedKey {
  int virtualKey;
  bool extended;
  bool operator==(const InjectedKey&) const = default;
};

constexpr InjectedKey InjectedKeyFor(int keyCode) noexcept {
  switch (keyCode) {
    case 108:  // VK_SEPARATOR types nothing; the keypad Enter key itself sends an extended Return
      return {13, true};
    case 3:                                // Break
    case 33: case 34: case 35: case 36:    // Page Up, Page Down, End, Home
    case 37: case 38: case 39: case 40:    // arrows
    case 44: case 45: case 46:             // Print Screen, Insert, Delete
    case 91: case 92: case 93:             // left and right Windows, Apps
    case 111:                              // keypad Divide
    case 144:                              // NumLock
    case 163: case 165:                    // right Ctrl, right Alt
      return {keyCode, true};
    default:
      return {keyCode, keyCode >= 166 && keyCode <= 183};  // browser, volume, media and launch keys
  }
}

// The scan code an injected key carries and whether it goes with the extended flag, given the
// scan code the foreground keyboard layout has for its virtual key (the high byte 0xE0 or 0xE1
// for a prefixed code, 0 when the layout has none). The flag stands for an 0xE0 prefix alone:
// Pause's 0xE1 1D sent with it reads as 0xE0 1D, right Ctrl, to programs that go by scan codes.
// Pause is the one key with the 0xE1 prefix (0xE1 1D 45); the system's own Pause events carry
// 0x45 without the flag, and so do ours, rather than 0x1D, left Ctrl's code. A key of the table
// above that the layout gives without its prefix keeps its flag.
struct KeyScan {
  int scan;
  bool extended;
  bool operator==(const KeyScan&) const = default;
};

inline constexpr int kPauseEventScan = 0x45;

constexpr KeyScan ScanFor(InjectedKey key, unsigned layoutScan) noexcept {
  const unsigned prefix = (layoutScan >> 8) & 0xFF;
  if (prefix == 0xE1) return {kPauseEventScan, false};
  return {static_cast<int>(layoutScan & 0xFF), key.extended || prefix == 0xE0};
}

}  // namespace orvelle

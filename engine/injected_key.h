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

// A mouse event as SendInput takes it: MOUSEINPUT's dwFlags and mouseData for a button of a
// MouseAction (1 left, 2 right, 3 middle, 4 and 5 the X buttons) going down or up, or a wheel
// notch (6 up, away from the user: positive; 7 down). No move flag: the pointer stays where it is.
// Nothing (flags 0) for any other number.
struct MouseEvent {
  uint32_t flags;
  int32_t data;
  bool operator==(const MouseEvent&) const = default;
};

inline constexpr int kWheelDelta = 120;  // one notch, WHEEL_DELTA

constexpr MouseEvent MouseEventFor(int action, bool release) noexcept {
  constexpr uint32_t kLeftDown = 0x0002, kRightDown = 0x0008, kMiddleDown = 0x0020, kXDown = 0x0080, kWheel = 0x0800;
  // Each button's up flag is the bit after its down flag.
  const auto button = [release](uint32_t down, int32_t data) { return MouseEvent{release ? down << 1 : down, data}; };
  switch (action) {
    case 1:
      return button(kLeftDown, 0);
    case 2:
      return button(kRightDown, 0);
    case 3:
      return button(kMiddleDown, 0);
    case 4:
      return button(kXDown, 1);  // XBUTTON1
    case 5:
      return button(kXDown, 2);  // XBUTTON2
    case 6:
      return {kWheel, kWheelDelta};
    case 7:
      return {kWheel, -kWheelDelta};
    default:
      return {0, 0};
  }
}

constexpr KeyScan ScanFor(InjectedKey key, unsigned layoutScan) noexcept {
  const unsigned prefix = (layoutScan >> 8) & 0xFF;
  if (prefix == 0xE1) return {kPauseEventScan, false};
  return {static_cast<int>(layoutScan & 0xFF), key.extended || prefix == 0xE0};
}

}  // namespace orvelle

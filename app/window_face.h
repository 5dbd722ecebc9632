#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "base/ini.h"
#include "model/profile_data.h"

namespace orvelle {

// What kind of thing an assigned key does, as the main window shows it: each has a picture of
// its own. Plain is a key that sends itself (unassigned, or a record the program cannot act on).
enum class KeyLook { Plain, Remap, Command, Macro, Text, Program, Off };

// The look of one key slot and the small marks on it.
struct KeyFace {
  KeyLook look = KeyLook::Plain;
  bool hold = false;
  bool turbo = false;
  bool operator==(const KeyFace&) const = default;
};

// The face of an assigned key's record. A kind this version does not know, and a Text or Program
// record with nothing to act on, send the key itself and look plain. Hold is marked only where
// something is held: never on a plain key or one that is off.
KeyFace FaceOfAssignment(const KeyAssignment& assignment);

// The picture that shows a look; Plain shows the normal picture, another key the down picture.
RegionLook PictureOfLook(KeyLook look);

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// A pixel of the down picture as the picture of `look` shows it. The down look's hue (the lit
// key's orange) turns into the look's own; brightness and strength of colour stay, so grey plate
// stays grey and the legends stay dark on the lit cap. Off dims the key and nearly greys it.
// Integer arithmetic throughout, so that a test can compute the same pixels.
Rgb RecolourForLook(Rgb down, KeyLook look);

// A solid rectangle painted over the picture.
struct Fill {
  Rect area;
  Rgb colour;
  bool operator==(const Fill&) const = default;
};

// The state of NumLock, CapsLock and ScrollLock: on is lit.
struct LockStates {
  bool num = false;
  bool caps = false;
  bool scroll = false;
  bool operator==(const LockStates&) const = default;
};

// Where the window's indicators lie, from section "INDICATORS" of "Main.ini": the three lock
// lamps, the notice that the keyboard is missing and the legend of the key looks. A layout
// without the section (an older skin) places nothing: no lamp lights and no legend shows, and the
// notice is written across the top instead.
struct FaceLayout {
  std::array<Rect, 3> lamps{};  // NumLock, CapsLock, ScrollLock
  Rect notice{};
  Rect legend{};
  bool operator==(const FaceLayout&) const = default;
};
inline constexpr std::wstring_view kIndicatorSection = L"INDICATORS";
FaceLayout LoadFaceLayout(IniAccess& ini, const std::wstring& path);

// The small marks in a key's corners: Hold at the top right, Turbo (kept free for it) at the top
// left. Both lie inside the key's top face in every look.
Rect HoldMarkArea(const Rect& key);
Rect TurboMarkArea(const Rect& key);
// The Hold mark drawn in its area: a dark chip with a light rim and a light "H".
std::vector<Fill> HoldMarkFills(const Rect& key);
// The Turbo mark drawn in its area: the same chip with an orange "T".
std::vector<Fill> TurboMarkFills(const Rect& key);

// Everything the picture of the main window depends on.
struct FaceState {
  int activeProfile = 1;
  int hovered = kNoEntry;
  bool pending = false;  // the working copy holds edits not yet applied
  LockStates locks;
  bool keyboardPresent = true;
  // The keyboard's keys held down now, by key code, while the window shows them (a live view):
  // their slots show the over look until they are let go of.
  std::bitset<256> pressed;
};

// The key slot (1..104, one that opens the dialog) of key code `code`, the first of several; none
// for a code no slot has.
int EntryOfKeyCode(const KeyTable& table, int code);

// The whole face of the window: the copies to make over the normal picture, in order, the fills
// over them (the marks), the lamps to light, where to tell that the keyboard is missing (nothing:
// it is there) and where the legend goes.
struct Face {
  std::vector<Blit> blits;
  std::vector<Fill> fills;
  std::vector<Rect> litLamps;
  std::optional<Rect> notice;  // an empty rectangle: no place in the skin, written across the top
  Rect legend;
};

// The face of the window in `state`: the active profile's button and, while edits wait, "Apply"
// lit; each assigned key slot in the look of its kind with its marks; the hovered entry in the
// over look (its marks kept); the lit lamps; the notice while the keyboard is missing.
Face ComputeFace(const KeyTable& table, const FaceLayout& layout, const ProfileData& working,
                 const FaceState& state);

// The face computed on the stored layout, placed on pictures drawn at `percent`.
Face ScaleFace(Face face, int percent);

}  // namespace orvelle

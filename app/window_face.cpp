#include "app/window_face.h"

#include <algorithm>

#include "base/display_scale.h"
#include "base/ini_section.h"

namespace orvelle {
namespace {

constexpr int kMarkWidth = 10, kMarkHeight = 8, kMarkInset = 6;
constexpr std::array<std::wstring_view, 3> kLampKeys = {L"NumLock", L"CapsLock", L"ScrollLock"};
constexpr std::wstring_view kNoticeKey = L"NoKeyboard";
constexpr std::wstring_view kLegendKey = L"Legend";

// The screen button "Apply", found by name as a click finds it; none in a layout without one.
int ApplyEntry(const KeyTable& table) {
  for (int entry = kFirstButtonEntry; entry <= kEntryCount; ++entry) {
    if (table.Entry(entry).name == L"Apply") return entry;
  }
  return kNoEntry;
}

bool IsEmpty(const Rect& r) { return r.Width() <= 0 || r.Height() <= 0; }

void Append(std::vector<Blit>& to, const std::vector<Blit>& blits) { to.insert(to.end(), blits.begin(), blits.end()); }

}  // namespace

KeyFace FaceOfAssignment(const KeyAssignment& assignment) {
  KeyFace face;
  switch (assignment.kind) {
    case AssignKind::SingleKey:
      face.look = KeyLook::Remap;
      break;
    case AssignKind::Media:
    case AssignKind::Function:
      face.look = KeyLook::Command;
      break;
    case AssignKind::Profile:
      face.look = HasAction(assignment) ? KeyLook::Command : KeyLook::Plain;
      break;
    case AssignKind::Mouse:
      face.look = HasAction(assignment) ? KeyLook::Remap : KeyLook::Plain;
      break;
    case AssignKind::Macro:
      face.look = KeyLook::Macro;
      break;
    case AssignKind::Disabled:
      face.look = KeyLook::Off;
      break;
    case AssignKind::Text:
      face.look = HasAction(assignment) ? KeyLook::Text : KeyLook::Plain;
      break;
    case AssignKind::Program:
      face.look = HasAction(assignment) ? KeyLook::Program : KeyLook::Plain;
      break;
    default:
      break;  // a kind of a later version: the key sends itself
  }
  face.hold = assignment.hold && face.look != KeyLook::Plain && face.look != KeyLook::Off;
  face.turbo = assignment.turboMs != 0 && face.look != KeyLook::Plain && face.look != KeyLook::Off;
  return face;
}

RegionLook PictureOfLook(KeyLook look) {
  switch (look) {
    case KeyLook::Plain:
      return RegionLook::Normal;
    case KeyLook::Remap:
      return RegionLook::Down;
    case KeyLook::Command:
      return RegionLook::Command;
    case KeyLook::Macro:
      return RegionLook::Macro;
    case KeyLook::Text:
      return RegionLook::Text;
    case KeyLook::Program:
      return RegionLook::Program;
    case KeyLook::Off:
      return RegionLook::Off;
  }
  return RegionLook::Normal;
}

Rgb RecolourForLook(Rgb down, KeyLook look) {
  int hue = 0;
  switch (look) {
    case KeyLook::Plain:
    case KeyLook::Remap:
      return down;
    case KeyLook::Command:
      hue = 275;
      break;
    case KeyLook::Macro:
      hue = 125;
      break;
    case KeyLook::Text:
      hue = 215;
      break;
    case KeyLook::Program:
      hue = 320;
      break;
    case KeyLook::Off:
      hue = 0;
      break;
  }
  int value = std::max({down.r, down.g, down.b});
  int chroma = value - std::min({down.r, down.g, down.b});
  if (look == KeyLook::Off) {
    value = value * 55 / 100;
    chroma = chroma * 30 / 100;
  }
  const int sector = hue / 60, within = hue % 60;
  const int second = chroma * (sector % 2 == 0 ? within : 60 - within) / 60;
  const int base = value - chroma;
  int r = 0, g = 0, b = 0;
  switch (sector) {
    case 0: r = chroma, g = second; break;
    case 1: r = second, g = chroma; break;
    case 2: g = chroma, b = second; break;
    case 3: g = second, b = chroma; break;
    case 4: r = second, b = chroma; break;
    default: r = chroma, b = second; break;
  }
  return Rgb{static_cast<uint8_t>(r + base), static_cast<uint8_t>(g + base), static_cast<uint8_t>(b + base)};
}

FaceLayout LoadFaceLayout(IniAccess& ini, const std::wstring& path) {
  const IniSection section(ini.ReadSection(path, kIndicatorSection));
  FaceLayout layout;
  for (size_t i = 0; i < kLampKeys.size(); ++i) layout.lamps[i] = ParseLayoutRect(section.String(kLampKeys[i]));
  layout.notice = ParseLayoutRect(section.String(kNoticeKey));
  layout.legend = ParseLayoutRect(section.String(kLegendKey));
  return layout;
}

Rect HoldMarkArea(const Rect& key) {
  return Rect::FromOriginAndSize(Rect::SaturatingSum(key.right, -(kMarkInset + kMarkWidth)),
                                 Rect::SaturatingSum(key.top, kMarkInset), kMarkWidth, kMarkHeight);
}

Rect TurboMarkArea(const Rect& key) {
  return Rect::FromOriginAndSize(Rect::SaturatingSum(key.left, kMarkInset), Rect::SaturatingSum(key.top, kMarkInset),
                                 kMarkWidth, kMarkHeight);
}

std::vector<Fill> HoldMarkFills(const Rect& key) {
  const Rect a = HoldMarkArea(key);
  const Rgb rim{206, 212, 222}, chip{18, 20, 24}, letter{255, 255, 255};
  const auto at = [&a](int x, int y, int w, int h) {
    return Rect::FromOriginAndSize(Rect::SaturatingSum(a.left, x), Rect::SaturatingSum(a.top, y), w, h);
  };
  return {{a, rim},
          {at(1, 1, kMarkWidth - 2, kMarkHeight - 2), chip},
          {at(3, 2, 1, 4), letter},
          {at(6, 2, 1, 4), letter},
          {at(4, 3, 2, 1), letter}};
}

int EntryOfKeyCode(const KeyTable& table, int code) {
  if (code < 1 || code > 255) return kNoEntry;
  for (int entry = 1; entry <= kEditableSlotCount; ++entry) {
    if (table.Entry(entry).keyCode == code) return entry;
  }
  return kNoEntry;
}

std::vector<Fill> TurboMarkFills(const Rect& key) {
  const Rect a = TurboMarkArea(key);
  const Rgb rim{206, 212, 222}, chip{18, 20, 24}, letter{243, 154, 30};
  const auto at = [&a](int x, int y, int w, int h) {
    return Rect::FromOriginAndSize(Rect::SaturatingSum(a.left, x), Rect::SaturatingSum(a.top, y), w, h);
  };
  return {{a, rim}, {at(1, 1, kMarkWidth - 2, kMarkHeight - 2), chip}, {at(3, 2, 4, 1), letter}, {at(4, 3, 2, 3), letter}};
}

Face ComputeFace(const KeyTable& table, const FaceLayout& layout, const ProfileData& working,
                 const FaceState& state) {
  Face face;
  std::vector<Blit>& blits = face.blits;
  const int activeButton = IsProfileNumber(state.activeProfile) ? kProfileButtonEntry + state.activeProfile - 1 : kNoEntry;
  // The active profile's button stays lit under the pointer too: it tells which profile is shown.
  const int hovered = state.hovered == activeButton ? kNoEntry : state.hovered;

  if (activeButton != kNoEntry) Append(blits, RegionBlits(table, RegionLook::Down, activeButton));
  const int apply = ApplyEntry(table);
  if (state.pending && apply != kNoEntry && hovered != apply) Append(blits, RegionBlits(table, RegionLook::Down, apply));

  std::array<bool, kKeySlotCount> assigned{};
  for (int index : working.assignedSlots) {
    if (index < 0 || index >= kKeySlotCount || assigned[static_cast<size_t>(index)]) continue;
    assigned[static_cast<size_t>(index)] = true;
    const int entry = index + 1;
    const KeyFace key = FaceOfAssignment(working.records[static_cast<size_t>(index)]);
    if (entry != hovered && key.look != KeyLook::Plain) Append(blits, RegionBlits(table, PictureOfLook(key.look), entry));
    if (entry == hovered) Append(blits, RegionBlits(table, RegionLook::Over, entry));
    if (key.hold && !IsEmpty(table.HitRect(entry))) {
      const std::vector<Fill> mark = HoldMarkFills(table.HitRect(entry));
      face.fills.insert(face.fills.end(), mark.begin(), mark.end());
    }
    if (key.turbo && !IsEmpty(table.HitRect(entry))) {
      const std::vector<Fill> mark = TurboMarkFills(table.HitRect(entry));
      face.fills.insert(face.fills.end(), mark.begin(), mark.end());
    }
  }
  const bool hoveredAssigned = hovered >= 1 && hovered <= kKeySlotCount && assigned[static_cast<size_t>(hovered - 1)];
  if (!hoveredAssigned) Append(blits, RegionBlits(table, RegionLook::Over, hovered));
  if (state.pressed.any()) {
    for (int entry = 1; entry <= kKeySlotCount; ++entry) {
      const int code = table.Entry(entry).keyCode;
      if (code >= 1 && code <= 255 && state.pressed.test(static_cast<size_t>(code)) && entry != hovered) {
        Append(blits, RegionBlits(table, RegionLook::Over, entry));
      }
    }
  }

  const std::array<bool, 3> lit = {state.locks.num, state.locks.caps, state.locks.scroll};
  for (size_t i = 0; i < lit.size(); ++i) {
    if (lit[i] && !IsEmpty(layout.lamps[i])) face.litLamps.push_back(layout.lamps[i]);
  }
  if (!state.keyboardPresent) face.notice = IsEmpty(layout.notice) ? Rect{} : layout.notice;
  face.legend = layout.legend;
  return face;
}

Face ScaleFace(Face face, int percent) {
  if (percent == 100) return face;
  for (Blit& blit : face.blits) blit.area = ScaleRect(blit.area, percent);
  for (Fill& fill : face.fills) fill.area = ScaleRect(fill.area, percent);
  for (Rect& lamp : face.litLamps) lamp = ScaleRect(lamp, percent);
  if (face.notice) *face.notice = ScaleRect(*face.notice, percent);
  face.legend = ScaleRect(face.legend, percent);
  return face;
}

}  // namespace orvelle

#include "app/window_face.h"

#include <algorithm>

#include "base/ini_section.h"

namespace orvelle {
namespace {

constexpr int kApplyEntry = 126;
constexpr int kMarkWidth = 10, kMarkHeight = 8, kMarkInset = 6;
constexpr std::array<std::wstring_view, 3> kLampKeys = {L"NumLock", L"CapsLock", L"ScrollLock"};
constexpr std::wstring_view kNoticeKey = L"NoKeyboard";

bool IsEmpty(const Rect& r) { return r.Width() <= 0 || r.Height() <= 0; }

void Append(std::vector<Blit>& to, const std::vector<Blit>& blits) { to.insert(to.end(), blits.begin(), blits.end()); }

void AppendArea(std::vector<Blit>& to, RegionLook from, const Rect& area) {
  if (!IsEmpty(area)) to.push_back({from, area});
}

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

FaceLayout LoadFaceLayout(IniAccess& ini, const std::wstring& path) {
  const IniSection section(ini.ReadSection(path, kIndicatorSection));
  FaceLayout layout;
  for (size_t i = 0; i < kLampKeys.size(); ++i) layout.lamps[i] = ParseLayoutRect(section.String(kLampKeys[i]));
  layout.notice = ParseLayoutRect(section.String(kNoticeKey));
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

Face ComputeFace(const KeyTable& table, const FaceLayout& layout, const ProfileData& working,
                 const FaceState& state) {
  Face face;
  std::vector<Blit>& blits = face.blits;
  const int activeButton = IsProfileNumber(state.activeProfile) ? kProfileButtonEntry + state.activeProfile - 1 : kNoEntry;
  // The active profile's button stays lit under the pointer too: it tells which profile is shown.
  const int hovered = state.hovered == activeButton ? kNoEntry : state.hovered;

  if (activeButton != kNoEntry) Append(blits, RegionBlits(table, RegionLook::Down, activeButton));
  if (state.pending && table.Entry(kApplyEntry).name == L"Apply" && hovered != kApplyEntry) {
    Append(blits, RegionBlits(table, RegionLook::Down, kApplyEntry));
  }

  std::array<bool, kKeySlotCount> assigned{};
  for (int index : working.assignedSlots) {
    if (index < 0 || index >= kKeySlotCount || assigned[static_cast<size_t>(index)]) continue;
    assigned[static_cast<size_t>(index)] = true;
    const int entry = index + 1;
    const KeyFace key = FaceOfAssignment(working.records[static_cast<size_t>(index)]);
    if (entry != hovered && key.look != KeyLook::Plain) Append(blits, RegionBlits(table, PictureOfLook(key.look), entry));
    if (entry == hovered) Append(blits, RegionBlits(table, RegionLook::Over, entry));
    if (key.hold && !IsEmpty(table.HitRect(entry))) AppendArea(blits, RegionLook::Marks, HoldMarkArea(table.HitRect(entry)));
  }
  const bool hoveredAssigned = hovered >= 1 && hovered <= kKeySlotCount && assigned[static_cast<size_t>(hovered - 1)];
  if (!hoveredAssigned) Append(blits, RegionBlits(table, RegionLook::Over, hovered));

  const std::array<bool, 3> lit = {state.locks.num, state.locks.caps, state.locks.scroll};
  for (size_t i = 0; i < lit.size(); ++i) {
    if (lit[i]) AppendArea(blits, RegionLook::Marks, layout.lamps[i]);
  }
  if (!state.keyboardPresent) {
    if (IsEmpty(layout.notice)) {
      face.noticeAsText = true;
    } else {
      AppendArea(blits, RegionLook::Marks, layout.notice);
    }
  }
  return face;
}

}  // namespace orvelle

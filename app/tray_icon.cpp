#include "app/tray_icon.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "base/text.h"
#include "base/texts.h"

namespace orvelle {
namespace {

constexpr unsigned kLeftDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK
constexpr unsigned kRightButtonUp = 0x0205;    // WM_RBUTTONUP

constexpr size_t kTipChars = 127;

// The digits in a 5 × 7 grid, one row a line, the leftmost column the highest bit of five.
constexpr std::array<std::array<uint8_t, 7>, 10> kDigits = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1E, 0x01, 0x01, 0x0E, 0x01, 0x01, 0x1E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
}};

// A cross, in the digits' grid: the badge of a keyboard that is not there; and the pause sign.
constexpr std::array<uint8_t, 7> kCross = {0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x00};
constexpr std::array<uint8_t, 7> kPauseSign = {0x00, 0x1B, 0x1B, 0x1B, 0x1B, 0x1B, 0x00};

constexpr uint32_t kBadgeColour = 0xF39A1E;  // the skin's accent
constexpr uint32_t kDigitColour = 0x1B1B1B;
constexpr uint32_t kUnpluggedBadgeColour = 0x8A8A8A;
constexpr uint32_t kPausedBadgeColour = 0x35B4E8;  // the logo's blue

// `over` with coverage `alpha` (0..255) laid over `under`, straight alpha both.
uint32_t Blend(uint32_t under, uint32_t overRgb, uint32_t alpha) {
  const uint32_t underAlpha = under >> 24;
  const uint32_t outAlpha = alpha + underAlpha * (255 - alpha) / 255;
  if (outAlpha == 0) return 0;
  uint32_t result = outAlpha << 24;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t o = (overRgb >> shift) & 0xFF;
    const uint32_t u = (under >> shift) & 0xFF;
    const uint32_t c = (o * alpha + u * underAlpha * (255 - alpha) / 255) / outAlpha;
    result |= std::min<uint32_t>(c, 255) << shift;
  }
  return result;
}

// A disc over the lower right part of the picture with `glyph` in it, drawn in whole pixels,
// twice as big from 32 pixels up. The picture is `size` × `size`, checked by the caller.
void DrawBadge(std::vector<uint32_t>& pixels, int size, const std::array<uint8_t, 7>& glyph, uint32_t discColour) {
  const int scale = std::max(1, size / 16);
  const double diameter = std::min(size, 11 * scale);
  const double centreX = size - diameter / 2;
  const double centreY = size - diameter / 2;
  const double radius = diameter / 2;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Coverage from 4 × 4 samples, so that the disc's edge is smooth.
      int inside = 0;
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
          const double dx = x + (sx + 0.5) / 4 - centreX;
          const double dy = y + (sy + 0.5) / 4 - centreY;
          if (dx * dx + dy * dy <= radius * radius) ++inside;
        }
      }
      if (inside == 0) continue;
      uint32_t& pixel = pixels[static_cast<size_t>(y * size + x)];
      pixel = Blend(pixel, discColour, static_cast<uint32_t>(inside * 255 / 16));
    }
  }
  const int left = static_cast<int>(centreX) - 5 * scale / 2;
  const int top = static_cast<int>(centreY) - 7 * scale / 2;
  for (int row = 0; row < 7 * scale; ++row) {
    for (int column = 0; column < 5 * scale; ++column) {
      if (!(glyph[static_cast<size_t>(row / scale)] & (0x10 >> (column / scale)))) continue;
      const int x = left + column;
      const int y = top + row;
      if (x < 0 || y < 0 || x >= size || y >= size) continue;
      pixels[static_cast<size_t>(y * size + x)] = 0xFF000000u | kDigitColour;
    }
  }
}

bool IsPicture(const std::vector<uint32_t>& pixels, int size) {
  return size >= 8 && pixels.size() == static_cast<size_t>(size) * static_cast<size_t>(size);
}

}  // namespace

TrayResponse DecideTrayCallback(unsigned iconId, unsigned mouseMessage) {
  if (iconId != kTrayIconId) return {1, TrayAction::None};
  if (mouseMessage == kLeftDoubleClick) return {0, TrayAction::ShowWindow};
  if (mouseMessage == kRightButtonUp) return {0, TrayAction::TrayMenu};
  return {0, TrayAction::None};
}

TrayMode TrayModeOf(bool keyboardPresent, bool paused) {
  if (!keyboardPresent) return TrayMode::KeyboardMissing;
  return paused ? TrayMode::Paused : TrayMode::Remapping;
}

std::wstring TrayTip(const FollowedProfile& followed, TrayMode mode) {
  if (mode == TrayMode::KeyboardMissing) return std::wstring(Text(TextId::TrayKeyboardMissing));
  if (mode == TrayMode::Paused) return std::wstring(Text(TextId::TrayPaused));
  std::wstring tip = std::wstring(Text(TextId::TrayProfile)) + FormatInt(followed.profile);
  if (!followed.program.empty()) tip += L" (" + followed.program + L")";
  if (tip.size() > kTipChars) tip = tip.substr(0, kTipChars - 2) + L"…)";
  return tip;
}

std::vector<uint32_t> BadgedIcon(std::vector<uint32_t> pixels, int size, int digit) {
  if (digit < 1 || digit > 9 || !IsPicture(pixels, size)) return pixels;
  DrawBadge(pixels, size, kDigits[static_cast<size_t>(digit)], kBadgeColour);
  return pixels;
}

std::vector<uint32_t> UnpluggedIcon(std::vector<uint32_t> pixels, int size) {
  if (!IsPicture(pixels, size)) return pixels;
  for (uint32_t& pixel : pixels) {
    const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    const uint32_t grey = (r * 299 + g * 587 + b * 114) / 1000;
    const uint32_t alpha = (pixel >> 24) * 11 / 20;
    pixel = alpha << 24 | grey << 16 | grey << 8 | grey;
  }
  DrawBadge(pixels, size, kCross, kUnpluggedBadgeColour);
  return pixels;
}

std::vector<uint32_t> PausedIcon(std::vector<uint32_t> pixels, int size) {
  if (!IsPicture(pixels, size)) return pixels;
  for (uint32_t& pixel : pixels) pixel = ((pixel >> 24) * 11 / 20) << 24 | (pixel & 0xFFFFFF);
  DrawBadge(pixels, size, kPauseSign, kPausedBadgeColour);
  return pixels;
}

std::vector<uint32_t> TrayIconPicture(std::vector<uint32_t> pixels, int size, int profile, TrayMode mode) {
  switch (mode) {
    case TrayMode::Paused:
      return PausedIcon(std::move(pixels), size);
    case TrayMode::KeyboardMissing:
      return UnpluggedIcon(std::move(pixels), size);
    case TrayMode::Remapping:
      break;
  }
  return BadgedIcon(std::move(pixels), size, profile);
}

int TrayIconSize(int systemSize, unsigned dpi) {
  if (systemSize > 0) return systemSize;
  if (dpi == 0) return 16;
  return static_cast<int>((16 * dpi + 48) / 96);
}

unsigned TrayAddRetryMs(int failures) {
  // 1 + 2 + 4 + 8 + 15 + 15 + 15 = 60 s.
  constexpr unsigned kWaits[] = {1000, 2000, 4000, 8000, 15000, 15000, 15000};
  if (failures < 1 || failures > static_cast<int>(std::size(kWaits))) return 0;
  return kWaits[failures - 1];
}

std::optional<TrayBalloon> FirstStartBalloon(bool profilesExisted, unsigned windowsBuild) {
  if (profilesExisted) return std::nullopt;
  constexpr unsigned kFirstBuildHidingNewIcons = 22000;
  TrayBalloon balloon{std::wstring(Text(TextId::TrayStartedTitle)), std::wstring(Text(TextId::TrayStartedText))};
  if (windowsBuild >= kFirstBuildHidingNewIcons) {
    balloon.text += Text(TextId::TrayStartedHidden);
  }
  return balloon;
}

}  // namespace orvelle

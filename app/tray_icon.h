#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/profile_follower.h"

namespace orvelle {

// The tray icon's callback.
inline constexpr unsigned kTrayIconId = 133;
inline constexpr unsigned kTrayCallbackMessage = 0x464;
enum class TrayAction { None, ShowWindow, TrayMenu };
struct TrayResponse {
  long result;
  TrayAction action;
};
TrayResponse DecideTrayCallback(unsigned iconId, unsigned mouseMessage);

// The tray icon's tip: the product, the active profile and the program that chose it. At most
// 127 characters, as the tip holds.
std::wstring TrayTip(const FollowedProfile& followed);

// The tray icon with the profile's number in a badge at its lower right corner. `pixels` is the
// icon's picture, `size` × `size`, top row first, each pixel 0xAARRGGBB with straight alpha; the
// result has the same form. A `digit` outside 1..9 leaves the picture as it is.
std::vector<uint32_t> BadgedIcon(std::vector<uint32_t> pixels, int size, int digit);

}  // namespace orvelle

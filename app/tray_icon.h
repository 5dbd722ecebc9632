#pragma once

#include <cstdint>
#include <optional>
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

// What the tray tells besides the profile: keys are remapped, the user paused remapping, or the
// keyboard is not plugged in (nothing is remapped then either; that one wins).
enum class TrayMode { Remapping, Paused, KeyboardMissing };
TrayMode TrayModeOf(bool keyboardPresent, bool paused);

// The tray icon's tip: the product, the active profile and the program that chose it; paused or
// without the keyboard, that instead. At most 127 characters, as the tip holds.
std::wstring TrayTip(const FollowedProfile& followed, TrayMode mode);

// The tray icon with the profile's number in a badge at its lower right corner. `pixels` is the
// icon's picture, `size` × `size`, top row first, each pixel 0xAARRGGBB with straight alpha; the
// result has the same form. A `digit` outside 1..9 leaves the picture as it is.
std::vector<uint32_t> BadgedIcon(std::vector<uint32_t> pixels, int size, int digit);

// The tray icon while the keyboard is not plugged in: the icon grey and faded, with a grey badge
// holding a cross where the profile's number would be. Same form as BadgedIcon.
std::vector<uint32_t> UnpluggedIcon(std::vector<uint32_t> pixels, int size);
// The tray icon while remapping is paused: the icon faded, with a blue badge holding the pause
// sign where the profile's number would be.
std::vector<uint32_t> PausedIcon(std::vector<uint32_t> pixels, int size);

// The tray icon for the profile the keys follow, or the one of the mode.
std::vector<uint32_t> TrayIconPicture(std::vector<uint32_t> pixels, int size, int profile, TrayMode mode);

// The side of the tray's icons in pixels at `dpi`: the system's small-icon size for that DPI when
// it gives one (`systemSize` above 0), else 16 pixels scaled to it. Drawn at this size, the badge's
// digit stays sharp instead of being stretched by the shell.
int TrayIconSize(int systemSize, unsigned dpi);

// How long to wait before adding the icon again after the shell refused it (`failures` refusals
// so far, from 1), in milliseconds; 0 once it is time to give up. At a slow logon the shell may
// refuse for a while and never announce itself afterwards: the waits double up to 15 s and stop
// after about a minute in all.
unsigned TrayAddRetryMs(int failures);

// The one balloon of the first start: where the program lives, and on systems that put new
// icons out of sight (Windows 11, build 22000 on) how to keep it in view. None when the profiles
// were already there at start: the program has run before.
struct TrayBalloon {
  std::wstring title;
  std::wstring text;
};
std::optional<TrayBalloon> FirstStartBalloon(bool profilesExisted, unsigned windowsBuild);

}  // namespace orvelle

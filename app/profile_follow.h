#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/program_bindings.h"

namespace orvelle {

// The profile the keys follow, and the bound program that chose it (empty: the home profile, the
// one the user chose by hand).
struct FollowedProfile {
  int profile = 1;
  std::wstring program;
  bool operator==(const FollowedProfile&) const = default;
};

// While the main window is shown the user is editing and sees the profile they chose: the keys
// follow it. Otherwise a bound program in front brings its profile, and any other program the home
// profile. `foregroundPath` is the path (or file name) of the program in front, empty when it is
// not known.
FollowedProfile ProfileToFollow(int home, const ProgramBindings& bindings, std::wstring_view foregroundPath,
                                bool mainWindowShown);

// The tray icon's tip: the product, the active profile and the program that chose it. At most
// 127 characters, as the tip holds.
std::wstring TrayTip(const FollowedProfile& followed);

// The tray menu's profile items.
std::wstring ProfileMenuLabel(int profile);

// Starting with Windows: a value named kRunValueName under the user's Run key whose data is the
// executable's full path in quotes.
inline constexpr wchar_t kRunValueName[] = L"ORVELLE";
std::wstring RunCommandFor(std::wstring_view executablePath);
// Told when the registry refused the change of the autostart item.
inline constexpr std::wstring_view kAutostartFailed = L"Не удалось изменить автозапуск.";
// Whether a Run value's data starts this executable (quotes and arguments aside, the path compared
// without regard to case).
bool RunsThisProgram(std::wstring_view runValue, std::wstring_view executablePath);

// The tray icon with the profile's number in a badge at its lower right corner. `pixels` is the
// icon's picture, `size` × `size`, top row first, each pixel 0xAARRGGBB with straight alpha; the
// result has the same form. A `digit` outside 1..9 leaves the picture as it is.
std::vector<uint32_t> BadgedIcon(std::vector<uint32_t> pixels, int size, int digit);

}  // namespace orvelle

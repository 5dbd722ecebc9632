#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

// Starting with Windows: a value named kRunValueName under the user's Run key whose data is the
// executable's full path in quotes.
inline constexpr wchar_t kRunValueName[] = L"ORVELLE";
std::wstring RunCommandFor(std::wstring_view executablePath);
// Told when the registry refused the change of the autostart item.
inline constexpr std::wstring_view kAutostartFailed = L"Не удалось изменить автозапуск.";
// Whether a Run value's data starts this executable (quotes and arguments aside, the path compared
// without regard to case).
bool RunsThisProgram(std::wstring_view runValue, std::wstring_view executablePath);
// Whether the state Task Manager keeps for a Run value (its Startup tab's "Enabled" and
// "Disabled") lets the value start: no state at all, or one whose first byte is even. Disabling
// writes an odd first byte (and the time), enabling again an even one.
bool StartupApprovedAllows(const std::vector<uint8_t>& state);

}  // namespace orvelle

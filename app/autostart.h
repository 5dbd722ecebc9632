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
// Whether a Run value's data starts this executable (quotes and arguments aside, the path compared
// without regard to case).
bool RunsThisProgram(std::wstring_view runValue, std::wstring_view executablePath);
// Whether the state Task Manager keeps for a Run value (its Startup tab's "Enabled" and
// "Disabled") lets the value start: no state at all, or one whose first byte is even. Disabling
// writes an odd first byte (and the time), enabling again an even one.
bool StartupApprovedAllows(const std::vector<uint8_t>& state);

// Starting elevated with Windows: a Task Scheduler task of this name that runs the executable at
// the user's logon with the highest privileges. A Run value always starts a program with the
// filtered token, so while the option "run as administrator" is on, the task takes its place.
// The uninstaller removes a task of this name that points into the install folder.
inline constexpr wchar_t kLogonTaskName[] = L"ORVELLE";

// Which of the two ways of starting with Windows should exist. Never both: the program would
// start twice, and the second start would only show the first one's window.
struct AutostartPlan {
  bool runValue = false;
  bool logonTask = false;
  bool operator==(const AutostartPlan&) const = default;
};
AutostartPlan PlanAutostart(bool startWithWindows, bool runAsAdmin);

// The task's definition in Task Scheduler's XML: at the logon of `userId` (DOMAIN\user), as that
// user, with the highest privileges the user has, on battery too and for as long as it runs (the
// defaults would keep it from starting on battery and end it after three days), at normal
// priority (the default is below normal, which a key remapper cannot afford).
std::wstring LogonTaskXml(std::wstring_view executablePath, std::wstring_view userId);

// What choosing "run as administrator" does, by whether it is on now and whether we run elevated.
enum class RunAsAdminStep {
  TurnOff,          // the option goes off; a logon task becomes the Run value again
  TurnOn,           // already elevated: the option goes on, the Run value becomes the logon task
  RestartElevated,  // one UAC prompt; when it is accepted the option goes on and this copy exits
};
RunAsAdminStep DecideRunAsAdmin(bool optionOn, bool weElevated);
// The argument of the elevated copy that a running one starts: it waits for that one to end
// before it runs, and the logon task takes the place of the Run value.
inline constexpr wchar_t kElevatedRestartArgument[] = L"/elevated-restart";

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <string>

namespace orvelle {

// Starting with Windows, either through one value under the user's Run key (and the state Task
// Manager keeps for it: its Startup tab can disable the value without removing it), or, while
// ORVELLE is to run as administrator, through a logon task kLogonTaskName. Nothing else of the
// registry or of Task Scheduler is read or written.
bool StartsWithWindows(const std::wstring& executablePath);
// Makes the Run value or the logon task exist as PlanAutostart says, and the other one not;
// false when the registry or Task Scheduler refused (a task with the highest privileges is
// created and removed only from an elevated process). The logon task is made before the Run
// value goes and goes before the Run value is made, so a refusal never leaves no way at all.
// Either way Task Manager's state for the Run value goes: turned on, it starts again; turned
// off, nothing is left behind.
bool SetStartWithWindows(const std::wstring& executablePath, bool start, bool runAsAdmin);
// Turns starting with Windows of this executable on when it is off, off when on; false when
// refused.
bool ToggleStartWithWindows(bool runAsAdmin);
// Starting with Windows, when on, moves to the way `runAsAdmin` asks for; false when refused.
bool MoveStartWithWindows(bool runAsAdmin);

// What the main window does after "run as administrator" was chosen.
struct RunAsAdminOutcome {
  bool changed = false;          // the option changed: save it
  bool autostartFailed = false;  // starting with Windows could not follow: tell the user
  bool exit = false;             // an elevated copy runs now: this one ends
};
// The option chosen in a menu of `owner`: turned off, turned on here, or turned on by starting an
// elevated copy of ourselves through one UAC prompt (a declined prompt changes nothing).
RunAsAdminOutcome ChooseRunAsAdmin(HWND owner, bool& runAsAdmin);

}  // namespace orvelle

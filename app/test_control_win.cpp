// The test twin's control protocol: the test driver sends a command as WM_COPYDATA text and reads
// the answer from the message's result. Built only into the twin.
#include "app/test_control_win.h"

#include <string>
#include <string_view>

#include "base/text.h"
#include "device/hid_sim_win.h"
#include "platform/win32/handles.h"

namespace orvelle {
namespace {

// "stall-ui <ms>" keeps the user interface's thread busy from its next message on: the timer's
// number carries how long, so nothing else needs to remember it.
constexpr UINT_PTR kStallTimerBase = 0x5400'0000;
constexpr int kLongestStallMs = 60'000;

void CALLBACK StallUserInterface(HWND window, UINT, UINT_PTR id, DWORD) noexcept {
  KillTimer(window, id);
  Sleep(static_cast<DWORD>(id - kStallTimerBase));
}

}  // namespace

LRESULT AnswerTestCommand(const TestControlTargets& targets, const COPYDATASTRUCT* data, bool&) {
  if (data == nullptr || data->dwData != kSimulatedDeviceTag) return FALSE;
  RemapSession& session = targets.session;
  const std::wstring_view text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
  if (text == L"status") return (session.hookInstalled() ? 1 : 0) | (session.keyboardPresent() ? 2 : 0);
  if (text == L"installs") return session.hookInstalls();
  if (text == L"wakeups") return static_cast<LRESULT>(session.workerWakeups());
  // The profile the keys follow, and when that last changed (Unix microseconds).
  if (text == L"profile") return session.activeProfile();
  if (text == L"followed-at") return static_cast<LRESULT>(targets.follower.followedAtUs());
  // The on-screen notice: when it last came, changed its text and went (Unix microseconds).
  if (text == L"notice-appeared-at") return static_cast<LRESULT>(targets.notice.appearedAtUs());
  if (text == L"notice-changed-at") return static_cast<LRESULT>(targets.notice.changedAtUs());
  if (text == L"notice-hidden-at") return static_cast<LRESULT>(targets.notice.hiddenAtUs());
  // "tip-is N program.exe": whether the tray tip says profile N, chosen by that program (none:
  // chosen by hand).
  if (text.starts_with(L"tip-is ")) {
    const std::wstring_view rest = text.substr(7);
    const size_t blank = rest.find(L' ');
    const FollowedProfile expected{ParseInt(rest.substr(0, blank)),
                                   blank == std::wstring_view::npos ? std::wstring() : std::wstring(rest.substr(blank + 1))};
    return targets.tray.tip() == TrayTip(expected, TrayMode::Remapping) ? 1 : 0;
  }
  // Whether remapping is paused, and the tray shows it: the pause icon and the tip that says so.
  if (text == L"tray-paused") {
    return session.paused() && targets.tray.mode() == TrayMode::Paused &&
                   targets.tray.tip() == TrayTip({}, TrayMode::Paused)
               ? 1
               : 0;
  }
  // Whether the tray shows the keyboard missing: the greyed icon and the tip that says so.
  if (text == L"tray-unplugged") {
    return targets.tray.showsUnplugged() && targets.tray.tip() == TrayTip({}, TrayMode::KeyboardMissing) ? 1 : 0;
  }
  // "raise-event foreground|restored Title": the window event for that window, through the system.
  if (text.starts_with(L"raise-event ")) {
    const std::wstring_view rest = text.substr(12);
    const size_t blank = rest.find(L' ');
    if (blank == std::wstring_view::npos) return FALSE;
    const HWND window = FindWindowW(nullptr, std::wstring(rest.substr(blank + 1)).c_str());
    if (window == nullptr) return FALSE;
    ForegroundWatch::RaiseEvent(rest.starts_with(L"foreground") ? EVENT_SYSTEM_FOREGROUND : EVENT_SYSTEM_MINIMIZEEND, window);
    return TRUE;
  }
  if (text == L"foreground-events") return targets.follower.foregroundEvents();
  // The tray icon's side in pixels, and whether the first start's balloon was shown.
  if (text == L"tray-icon-size") return targets.tray.iconSize();
  if (text == L"tray-balloon") return targets.tray.balloonShown() ? 1 : 0;
  // "in-outline x y": whether that point of the main window lies inside its outline (1) or was
  // cut away (0).
  if (text.starts_with(L"in-outline ")) {
    const std::wstring_view rest = text.substr(11);
    const size_t blank = rest.find(L' ');
    if (blank == std::wstring_view::npos) return -1;
    const UniqueRegion outline(CreateRectRgn(0, 0, 0, 0));
    if (!outline || GetWindowRgn(targets.window, outline.get()) == ERROR) return -1;
    return PtInRegion(outline.get(), ParseInt(rest.substr(0, blank)), ParseInt(rest.substr(blank + 1))) ? 1 : 0;
  }
  // Whether keys pass unremapped because a window of ours is in front.
  if (text == L"own-window") return session.ownWindowInFront() ? 1 : 0;
  // "stage-elevated 1|0": every other program that comes to the front counts as elevated, or no more.
  if (text.starts_with(L"stage-elevated ")) {
    targets.follower.StageElevatedForeground(text.substr(15) == L"1");
    return TRUE;
  }
  if (text == L"elevated-told") return static_cast<LRESULT>(targets.follower.elevatedTold());
  // "fail-injection <n>": the next n SendInput calls insert nothing, as for an elevated window;
  // "injections-to-fail": how many of them are still to come.
  if (text == L"injections-to-fail") return session.injectionsToFail();
  if (text.starts_with(L"fail-injection ")) {
    const int count = ParseInt(text.substr(15));
    if (count < 0) return FALSE;
    session.FailNextInjections(count);
    return TRUE;
  }
  if (text == L"drop-hook") {
    session.DropHookBehindItsBack();
    return TRUE;
  }
  // Answered at once (the driver goes on sending keys); the stall starts right after.
  if (text.starts_with(L"stall-ui ")) {
    const int ms = ParseInt(text.substr(9));
    if (ms <= 0 || ms > kLongestStallMs) return FALSE;
    return SetTimer(targets.window, kStallTimerBase + static_cast<UINT_PTR>(ms), USER_TIMER_MINIMUM, StallUserInterface) != 0;
  }
  // "dpi-changed <dpi> main|dialog": the main window or the dialog open over it is told that its
  // monitor's scale changed, as the system tells a window moved to another monitor; its place is
  // the suggested one. Wine sends no such message.
  if (text.starts_with(L"dpi-changed ")) {
    const std::wstring_view rest = text.substr(12);
    const size_t blank = rest.find(L' ');
    if (blank == std::wstring_view::npos) return FALSE;
    const int dpi = ParseInt(rest.substr(0, blank));
    const std::wstring_view which = rest.substr(blank + 1);
    if (dpi < 48 || dpi > 480 || (which != L"main" && which != L"dialog")) return FALSE;
    // No dialog open: the last active popup is the main window itself.
    const HWND target = which == L"dialog" ? GetLastActivePopup(targets.window) : targets.window;
    if (target == nullptr || (which == L"dialog" && target == targets.window)) return FALSE;
    RECT suggested{};
    GetWindowRect(target, &suggested);
    SendMessageW(target, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return TRUE;
  }
  OnSimulatedDeviceCommand(targets.window, text.data(), text.size());
  return TRUE;
}

}  // namespace orvelle

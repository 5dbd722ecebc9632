#include "app/profile_follower_win.h"

#include <chrono>

#include "app/elevation_guard_win.h"

namespace orvelle {

bool IsShownWindow(HWND window) { return IsWindowVisible(window) && !IsIconic(window); }

namespace {

FrontWindow FrontWindowOf(HWND window) {
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0) return FrontWindow::None;
  return processId == GetCurrentProcessId() ? FrontWindow::Ours : FrontWindow::Another;
}

}  // namespace

void ProfileFollower::Start(RemapSession& session) {
  session_ = &session;
  weElevated_ = IsThisProcessElevated();
  const HWND front = GetForegroundWindow();
  TellChoice(front, ProgramPathOf(front));
  FollowOwnWindow(front);
  ForegroundListener& listener = *this;
  watch_ = std::make_unique<ForegroundWatch>(listener);
  // Our own windows in front matter whatever is bound: remapping is off there.
  watch_->SetPolling(true);
  Follow();
}

void ProfileFollower::BindingsChanged() { Follow(); }

void ProfileFollower::FollowOwnWindow(HWND front) {
  if (session_ == nullptr) return;
  switch (OwnWindowStepFor(session_->ownWindowInFront(), FrontWindowOf(front))) {
    case OwnWindowStep::TurnOff:
      // Told late (the events come through this thread's messages), another program may be in
      // front already: the keys held for it are not let go of.
      if (FrontWindowOf(GetForegroundWindow()) == FrontWindow::Ours) session_->SetOwnWindowInFront(true);
      break;
    case OwnWindowStep::TurnOn:
      session_->SetOwnWindowInFront(false);
      break;
    case OwnWindowStep::Nothing:
      break;
  }
}

void ProfileFollower::OnForegroundChanged(HWND window) {
  // A release the system refused (input into an elevated window fails) may go out now.
  if (session_ != nullptr) session_->RetryPendingReleases();
  FollowOwnWindow(window);
  std::wstring program = ProgramPathOf(window);
  const bool elevated = window != nullptr && (IsElevatedWindow(window) || (stagedElevated_ && !program.empty()));
  // Wine gives every process an elevated token; the staged case is the usual one on Windows, a
  // program elevated in front of us who are not.
  const ElevationStep step = elevation_.OnForeground(program, elevated, weElevated_ && !stagedElevated_);
  if (step != ElevationStep::Nothing && session_ != nullptr) session_->LetGoOfEverything();
  if (step == ElevationStep::LetGoAndTell) tray_.ShowBalloon({ElevatedProgramTitle(), ElevatedProgramText(program)});
  TellChoice(window, std::move(program));
  Follow();
}

void ProfileFollower::TellChoice(HWND front, std::wstring program) {
  front_ = front;
  choice_.SetForeground(FrontForProfile(FrontWindowOf(front), IsShownWindow(front), trayMenuOpen_), std::move(program));
}

void ProfileFollower::Follow() {
  if (session_ == nullptr) return;
  // A window of ours in front may have been shown or hidden since it came there (the tray menu's
  // "Open" shows the main window that the menu had already made the foreground window).
  if (FrontWindowOf(front_) == FrontWindow::Ours) TellChoice(front_, {});
  const bool changed = choice_.Decide(profiles_.activeProfile, profiles_.bindings);
  session_->SetActiveProfile(choice_.followed().profile);
  if (!changed) return;
  followedAtUs_ = static_cast<unsigned long long>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
  tray_.Show(choice_.followed());
}

}  // namespace orvelle

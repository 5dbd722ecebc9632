#include "app/profile_follower_win.h"

#include <chrono>

#include "app/elevation_guard_win.h"

namespace orvelle {

bool IsShownWindow(HWND window) { return IsWindowVisible(window) && !IsIconic(window); }

void ProfileFollower::Start(HWND mainWindow, RemapSession& session) {
  mainWindow_ = mainWindow;
  session_ = &session;
  weElevated_ = IsThisProcessElevated();
  choice_.SetForeground(ProgramPathOf(GetForegroundWindow()));
  ForegroundListener& listener = *this;
  watch_ = std::make_unique<ForegroundWatch>(listener);
  watch_->SetPolling(!profiles_.bindings.empty());
  Follow();
}

void ProfileFollower::BindingsChanged() {
  if (watch_) watch_->SetPolling(!profiles_.bindings.empty());
  Follow();
}

void ProfileFollower::OnForegroundChanged(HWND window) {
  std::wstring program = ProgramPathOf(window);
  const bool elevated = window != nullptr && (IsElevatedWindow(window) || (stagedElevated_ && !program.empty()));
  // Wine gives every process an elevated token; the staged case is the usual one on Windows, a
  // program elevated in front of us who are not.
  const ElevationStep step = elevation_.OnForeground(program, elevated, weElevated_ && !stagedElevated_);
  if (step != ElevationStep::Nothing && session_ != nullptr) session_->LetGoOfEverything();
  if (step == ElevationStep::LetGoAndTell) tray_.ShowBalloon({ElevatedProgramTitle(), ElevatedProgramText(program)});
  choice_.SetForeground(std::move(program));
  Follow();
}

void ProfileFollower::Follow() {
  if (session_ == nullptr) return;
  const bool changed = choice_.Decide(profiles_.activeProfile, profiles_.bindings, IsShownWindow(mainWindow_));
  session_->SetActiveProfile(choice_.followed().profile);
  if (!changed) return;
  followedAtUs_ = static_cast<unsigned long long>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
  tray_.Show(choice_.followed());
}

}  // namespace orvelle

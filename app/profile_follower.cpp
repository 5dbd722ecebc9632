#include "app/profile_follower.h"

#include "base/text.h"

namespace orvelle {

FollowedProfile ProfileToFollow(int home, const ProgramBindings& bindings, std::wstring_view foregroundPath,
                                bool mainWindowShown) {
  if (!mainWindowShown) {
    if (const int bound = BoundProfile(bindings, foregroundPath); bound != 0) {
      return {bound, std::wstring(FileNameOf(foregroundPath))};
    }
  }
  return {home, {}};
}

OwnWindowStep OwnWindowStepFor(bool offNow, FrontWindow front) {
  if (front == FrontWindow::Ours && !offNow) return OwnWindowStep::TurnOff;
  if (front == FrontWindow::Another && offNow) return OwnWindowStep::TurnOn;
  return OwnWindowStep::Nothing;
}

bool IsAppFrameHost(std::wstring_view path) { return SameProgram(FileNameOf(path), L"ApplicationFrameHost.exe"); }

bool ProfileChoice::Decide(int home, const ProgramBindings& bindings, bool mainWindowShown) {
  FollowedProfile now = ProfileToFollow(home, bindings, foregroundPath_, mainWindowShown);
  if (now == followed_) return false;
  followed_ = std::move(now);
  return true;
}

}  // namespace orvelle

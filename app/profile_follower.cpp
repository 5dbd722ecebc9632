#include "app/profile_follower.h"

#include "base/text.h"

namespace orvelle {

FollowedProfile ProfileToFollow(int home, const ProgramBindings& bindings, std::wstring_view foregroundPath,
                                bool oursActive) {
  if (!oursActive) {
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

FrontWindow FrontForProfile(FrontWindow front, bool oursVisible, bool trayMenuOpen) {
  if (front == FrontWindow::Ours && (!oursVisible || trayMenuOpen)) return FrontWindow::None;
  return front;
}

void ProfileChoice::SetForeground(FrontWindow front, std::wstring path) {
  if (front == FrontWindow::None) return;
  chosenByHand_ = false;
  oursActive_ = front == FrontWindow::Ours;
  foregroundPath_ = oursActive_ ? std::wstring() : std::move(path);
}

bool ProfileChoice::Decide(int home, const ProgramBindings& bindings) {
  FollowedProfile now = ProfileToFollow(home, bindings, foregroundPath_, oursActive_ || chosenByHand_);
  if (now == followed_) return false;
  followed_ = std::move(now);
  return true;
}

}  // namespace orvelle

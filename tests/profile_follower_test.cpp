// Which profile the keys follow.
#include <gtest/gtest.h>

#include "app/profile_follower.h"

namespace orvelle {
namespace {

TEST(ProfileFollow, TheProgramInFrontChoosesWhileTheWindowIsOutOfTheWay) {
  const ProgramBindings bindings = {{L"game.exe", 2}, {L"shooter.exe", 3}};
  struct Case {
    const char* what;
    int home;
    const wchar_t* foreground;
    bool shown;
    FollowedProfile expected;
  } cases[] = {
      {"a bound program in front", 1, L"C:\\Games\\Game.exe", false, {2, L"Game.exe"}},
      {"another bound program", 2, L"D:\\shooter.exe", false, {3, L"shooter.exe"}},
      {"a program bound to the home profile names itself", 2, L"game.exe", false, {2, L"game.exe"}},
      {"any other program: home", 3, L"C:\\Windows\\notepad.exe", false, {3, L""}},
      {"nothing known in front: home", 1, L"", false, {1, L""}},
      {"the window shown: home, whatever is in front", 1, L"C:\\Games\\game.exe", true, {1, L""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProfileToFollow(c.home, bindings, c.foreground, c.shown), c.expected) << c.what;
  }
  EXPECT_EQ(ProfileToFollow(2, {}, L"game.exe", false), (FollowedProfile{2, L""})) << "no bindings: home";
}

// One run of events through the choice: after each, the profile followed and whether the tray and
// the time stamp hear of a change.
TEST(ProfileFollow, TheChoiceTellsAChangeOnlyWhenTheAnswerChanges) {
  const ProgramBindings bindings = {{L"game.exe", 2}};
  struct Step {
    const char* what;
    const wchar_t* foreground;  // nullptr: unchanged
    int home;
    bool shown;
    FollowedProfile expected;
    bool changed;
  } steps[] = {
      {"the first decision is a change", L"C:\\explorer.exe", 1, true, {1, L""}, true},
      {"the same again is none", nullptr, 1, true, {1, L""}, false},
      {"hidden, an unbound program in front: still home", nullptr, 1, false, {1, L""}, false},
      {"a bound program comes to the front", L"C:\\Games\\game.exe", 1, false, {2, L"game.exe"}, true},
      {"the home profile switched by hand meanwhile", nullptr, 3, false, {2, L"game.exe"}, false},
      {"the window shown: the new home", nullptr, 3, true, {3, L""}, true},
      {"hidden again over the bound program", nullptr, 3, false, {2, L"game.exe"}, true},
      {"the program in front unknown: home", L"", 3, false, {3, L""}, true},
      {"home bound to the program's own profile names it", L"game.exe", 2, false, {2, L"game.exe"}, true},
  };
  ProfileChoice choice;
  for (const Step& step : steps) {
    if (step.foreground != nullptr) choice.SetForeground(step.foreground);
    EXPECT_EQ(choice.Decide(step.home, bindings, step.shown), step.changed) << step.what;
    EXPECT_EQ(choice.followed(), step.expected) << step.what;
  }
}

TEST(ProfileFollow, RemappingIsOffWhileAWindowOfOursIsInFront) {
  struct Case {
    const char* what;
    bool offNow;
    FrontWindow front;
    OwnWindowStep expected;
  } cases[] = {
      {"our window comes to the front", false, FrontWindow::Ours, OwnWindowStep::TurnOff},
      {"another of ours after it (a message box, a file dialog)", true, FrontWindow::Ours, OwnWindowStep::Nothing},
      {"another program comes to the front", true, FrontWindow::Another, OwnWindowStep::TurnOn},
      {"another program after another", false, FrontWindow::Another, OwnWindowStep::Nothing},
      {"nothing in front while ours was: still off", true, FrontWindow::None, OwnWindowStep::Nothing},
      {"nothing in front while remapping: still on", false, FrontWindow::None, OwnWindowStep::Nothing},
  };
  for (const Case& c : cases) EXPECT_EQ(OwnWindowStepFor(c.offNow, c.front), c.expected) << c.what;
}

TEST(ProfileFollow, PackagedAppFramesAreRecognisedByTheHostsName) {
  const std::pair<const wchar_t*, bool> paths[] = {
      {L"C:\\Windows\\System32\\ApplicationFrameHost.exe", true},
      {L"applicationframehost.EXE", true},  // a name from the process snapshot
      {L"C:\\Games\\ApplicationFrameHost.exe.bak", false},
      {L"C:\\Windows\\explorer.exe", false},
      {L"", false},
  };
  for (const auto& [path, host] : paths) EXPECT_EQ(IsAppFrameHost(path), host) << std::wstring(path).size();
}

}  // namespace
}  // namespace orvelle

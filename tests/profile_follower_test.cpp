// Which profile the keys follow.
#include <gtest/gtest.h>

#include "app/profile_follower.h"

namespace orvelle {
namespace {

TEST(ProfileFollow, TheProgramInFrontChoosesUnlessAWindowOfOursIsActive) {
  const ProgramBindings bindings = {{L"game.exe", 2}, {L"shooter.exe", 3}};
  struct Case {
    const char* what;
    int home;
    const wchar_t* foreground;
    bool oursActive;
    FollowedProfile expected;
  } cases[] = {
      {"a bound program in front", 1, L"C:\\Games\\Game.exe", false, {2, L"Game.exe"}},
      {"another bound program", 2, L"D:\\shooter.exe", false, {3, L"shooter.exe"}},
      {"a program bound to the home profile names itself", 2, L"game.exe", false, {2, L"game.exe"}},
      {"any other program: home", 3, L"C:\\Windows\\notepad.exe", false, {3, L""}},
      {"nothing known in front: home", 1, L"", false, {1, L""}},
      {"a window of ours active: home, whatever was in front", 1, L"C:\\Games\\game.exe", true, {1, L""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProfileToFollow(c.home, bindings, c.foreground, c.oursActive), c.expected) << c.what;
  }
  EXPECT_EQ(ProfileToFollow(2, {}, L"game.exe", false), (FollowedProfile{2, L""})) << "no bindings: home";
}

TEST(ProfileFollow, OnlyAWindowOfOursTheUserCanWorkInCounts) {
  struct Case {
    const char* what;
    FrontWindow front;
    bool oursVisible;
    bool trayMenuOpen;
    FrontWindow expected;
  } cases[] = {
      {"our window shown", FrontWindow::Ours, true, false, FrontWindow::Ours},
      {"our hidden main window, foreground for the tray menu", FrontWindow::Ours, false, false, FrontWindow::None},
      {"our shown window while the tray menu is open", FrontWindow::Ours, true, true, FrontWindow::None},
      {"another program's window", FrontWindow::Another, false, false, FrontWindow::Another},
      {"another program's window while the menu is open", FrontWindow::Another, true, true, FrontWindow::Another},
      {"no window", FrontWindow::None, false, false, FrontWindow::None},
  };
  for (const Case& c : cases) EXPECT_EQ(FrontForProfile(c.front, c.oursVisible, c.trayMenuOpen), c.expected) << c.what;
}

// One run of events through the choice: after each, the profile followed and whether the tray and
// the time stamp hear of a change.
TEST(ProfileFollow, TheChoiceTellsAChangeOnlyWhenTheAnswerChanges) {
  const ProgramBindings bindings = {{L"game.exe", 2}};
  enum Event { Nothing, Ours, Game, Other, NoWindow, ByHand };
  struct Step {
    const char* what;
    Event event;
    int home;
    FollowedProfile expected;
    bool changed;
  } steps[] = {
      {"the first decision is a change", Ours, 1, {1, L""}, true},
      {"the same again is none", Nothing, 1, {1, L""}, false},
      {"an unbound program in front: still home", Other, 1, {1, L""}, false},
      {"a bound program comes to the front", Game, 1, {2, L"game.exe"}, true},
      {"the home profile switched meanwhile (a program start, a file)", Nothing, 3, {2, L"game.exe"}, false},
      {"no window in front (the tray menu's) changes nothing", NoWindow, 3, {2, L"game.exe"}, false},
      {"a profile chosen by hand from the tray holds over the game", ByHand, 3, {3, L""}, true},
      {"still, while no other window comes", NoWindow, 3, {3, L""}, false},
      {"the game in front again: its profile", Game, 3, {2, L"game.exe"}, true},
      {"a window of ours active: the new home", Ours, 3, {3, L""}, true},
      {"the game again over our open window", Game, 3, {2, L"game.exe"}, true},
      {"home bound to the program's own profile names it", Nothing, 2, {2, L"game.exe"}, false},
  };
  ProfileChoice choice;
  for (const Step& step : steps) {
    switch (step.event) {
      case Nothing: break;
      case Ours: choice.SetForeground(FrontWindow::Ours, L"C:\\orvelle.exe"); break;
      case Game: choice.SetForeground(FrontWindow::Another, L"C:\\Games\\game.exe"); break;
      case Other: choice.SetForeground(FrontWindow::Another, L"C:\\explorer.exe"); break;
      case NoWindow: choice.SetForeground(FrontWindow::None, L""); break;
      case ByHand: choice.ChoseByHand(); break;
    }
    EXPECT_EQ(choice.Decide(step.home, bindings), step.changed) << step.what;
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

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

}  // namespace
}  // namespace orvelle

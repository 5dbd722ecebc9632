// The on-screen notice of the active profile: when it shows, what it says, where it stands.
#include <gtest/gtest.h>

#include "app/profile_notice.h"

namespace orvelle {
namespace {

TEST(ProfileNotice, ShownOnlyWhenAskedForAndTheMainWindowIsAway) {
  struct Case {
    bool optionOn, mainWindowShown, wanted;
  };
  for (const Case c : {Case{false, false, false}, Case{false, true, false}, Case{true, true, false},
                       Case{true, false, true}}) {
    EXPECT_EQ(NoticeWanted(c.optionOn, c.mainWindowShown), c.wanted) << c.optionOn << c.mainWindowShown;
  }
}

TEST(ProfileNotice, ComesForANewProfileOrThePauseOnly) {
  struct Case {
    const char* what;
    FollowedProfile before;
    bool pausedBefore;
    FollowedProfile now;
    bool pausedNow;
    bool worthy;
  };
  const Case cases[] = {
      {"the start", {0, L""}, false, {1, L""}, false, false},
      {"the start, paused by the command line", {0, L""}, false, {1, L""}, true, false},
      {"another profile by hand", {1, L""}, false, {2, L""}, false, true},
      {"a program brings its profile", {1, L""}, false, {2, L"game.exe"}, false, true},
      {"a program brings the active profile", {2, L""}, false, {2, L"game.exe"}, false, false},
      {"the program goes, the same home profile", {2, L"game.exe"}, false, {2, L""}, false, false},
      {"paused", {2, L"game.exe"}, false, {2, L"game.exe"}, true, true},
      {"another profile while paused", {2, L""}, true, {3, L""}, true, false},
      {"on again", {2, L""}, true, {2, L""}, false, true},
      {"on again in another profile", {2, L""}, true, {3, L"game.exe"}, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoticeWorthy(c.before, c.pausedBefore, c.now, c.pausedNow), c.worthy) << c.what;
  }
}

TEST(ProfileNotice, SaysTheProfileAndTheProgramByItsFileNameOrThePause) {
  const std::wstring longName(60, L'a');
  struct Case {
    FollowedProfile followed;
    bool paused;
    std::wstring text;
  };
  const Case cases[] = {
      {{1, L""}, false, L"Профиль 1"},
      {{2, L"game.exe"}, false, L"Профиль 2 — game.exe"},
      {{3, L"C:\\Games\\Big\\game.exe"}, false, L"Профиль 3 — game.exe"},
      {{3, L"/opt/x/tool"}, false, L"Профиль 3 — tool"},
      {{2, L"game.exe"}, true, L"Пауза"},
      {{2, longName}, false, L"Профиль 2 — " + std::wstring(39, L'a') + L"…"},
  };
  for (const Case& c : cases) EXPECT_EQ(NoticeText(c.followed, c.paused), c.text) << c.followed.program;
}

TEST(ProfileNotice, StandsCentredNearTheBottomOfTheWorkArea) {
  struct Case {
    Rect work;
    int width, height;
    Rect place;
  };
  const Case cases[] = {
      // 1920×1040 above a taskbar: an eighth of the height (130) between it and the bottom.
      {{0, 0, 1920, 1040}, 300, 60, {810, 850, 1110, 910}},
      // A second monitor left of the first, with negative coordinates.
      {{-1280, 0, 0, 1024}, 300, 60, {-790, 836, -490, 896}},
      // A taskbar at the top: the work area starts lower, the bottom gap is the same rule.
      {{0, 40, 800, 600}, 200, 40, {300, 490, 500, 530}},
      // Too small an area: the notice keeps its top-left corner on it.
      {{100, 100, 250, 130}, 200, 40, {100, 100, 300, 140}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoticePlace(c.work, c.width, c.height), c.place) << c.work.left << "," << c.work.top;
  }
}

}  // namespace
}  // namespace orvelle

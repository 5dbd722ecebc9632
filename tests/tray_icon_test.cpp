// The tray icon: its callback, its tip and its badge.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/tray_icon.h"

namespace orvelle {
namespace {

TEST(TrayIcon, CallbackOutcomes) {
  struct Case {
    unsigned id, message;
    long result;
    TrayAction action;
  } cases[] = {
      {133, 0x0203, 0, TrayAction::ShowWindow}, {133, 0x0205, 0, TrayAction::TrayMenu},
      {133, 0x0201, 0, TrayAction::None},       {133, 0x0200, 0, TrayAction::None},
      {134, 0x0203, 1, TrayAction::None},
  };
  for (const Case& c : cases) {
    const TrayResponse r = DecideTrayCallback(c.id, c.message);
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(r.action, c.action);
  }
}

TEST(ProfileFollow, TheTrayTipNamesTheProfileAndWhatChoseIt) {
  EXPECT_EQ(TrayTip({1, L""}, TrayMode::Remapping), L"ORVELLE: профиль 1");
  EXPECT_EQ(TrayTip({2, L"game.exe"}, TrayMode::Remapping), L"ORVELLE: профиль 2 (game.exe)");
  const std::wstring tip = TrayTip({3, std::wstring(200, L'x') + L".exe"}, TrayMode::Remapping);
  EXPECT_EQ(tip.size(), 127u) << "the tip holds 127 characters";
  EXPECT_TRUE(tip.ends_with(L"…)"));
  EXPECT_EQ(TrayTip({2, L"game.exe"}, TrayMode::KeyboardMissing), L"ORVELLE: клавиатура не подключена")
      << "without the keyboard nothing is remapped: the tip says why";
}

TEST(TrayIcon, WithoutTheKeyboardTheIconIsGreyAndCrossed) {
  const std::vector<uint32_t> base(256, 0xFFF39A1Eu);  // an orange icon
  const auto unplugged = TrayIconPicture(base, 16, 2, TrayMode::KeyboardMissing);
  ASSERT_EQ(unplugged.size(), base.size());
  const uint32_t corner = unplugged[0];
  EXPECT_EQ((corner >> 16) & 0xFF, (corner >> 8) & 0xFF) << "grey";
  EXPECT_EQ((corner >> 8) & 0xFF, corner & 0xFF) << "grey";
  EXPECT_LT(corner >> 24, 0xFFu) << "faded";
  EXPECT_TRUE(std::any_of(unplugged.begin(), unplugged.end(), [](uint32_t p) { return p == 0xFF1B1B1Bu; })) << "the cross";
  EXPECT_EQ(unplugged, TrayIconPicture(base, 16, 3, TrayMode::KeyboardMissing)) << "no profile number";
  EXPECT_EQ(TrayIconPicture(base, 16, 2, TrayMode::Remapping), BadgedIcon(base, 16, 2));
  const auto paused = TrayIconPicture(base, 16, 2, TrayMode::Paused);
  EXPECT_NE(paused, unplugged);
  EXPECT_NE(paused, BadgedIcon(base, 16, 2));
  EXPECT_LT(paused[0] >> 24, 0xFFu) << "faded";
  EXPECT_TRUE(std::any_of(paused.begin(), paused.end(), [](uint32_t p) { return p == 0xFF1B1B1Bu; })) << "the sign";
}

TEST(TrayIcon, TheTipSaysWhyNothingIsRemapped) {
  struct Case {
    bool present, paused;
    TrayMode mode;
    const wchar_t* tip;
  } cases[] = {
      {true, false, TrayMode::Remapping, L"ORVELLE: профиль 2 (game.exe)"},
      {true, true, TrayMode::Paused, L"ORVELLE: пауза"},
      {false, false, TrayMode::KeyboardMissing, L"ORVELLE: клавиатура не подключена"},
      {false, true, TrayMode::KeyboardMissing, L"ORVELLE: клавиатура не подключена"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrayModeOf(c.present, c.paused), c.mode);
    EXPECT_EQ(TrayTip({2, L"game.exe"}, c.mode), c.tip);
  }
}

TEST(ProfileFollow, TheBadgeCarriesTheDigitAndLeavesTheRestOfTheIcon) {
  for (int size : {16, 20, 24, 32, 40}) {
    const std::vector<uint32_t> base(static_cast<size_t>(size * size), 0xFF204060u);
    const auto one = BadgedIcon(base, size, 1);
    const auto two = BadgedIcon(base, size, 2);
    ASSERT_EQ(one.size(), base.size());
    EXPECT_EQ(one[0], base[0]) << "the upper left corner is the icon's own";
    EXPECT_NE(one, two) << size << ": each number looks different";
    EXPECT_TRUE(std::any_of(one.begin(), one.end(), [](uint32_t p) { return p == 0xFF1B1B1Bu; })) << "the digit";
    EXPECT_TRUE(std::any_of(one.begin(), one.end(), [](uint32_t p) { return p == 0xFFF39A1Eu; })) << "the badge";
  }
  const std::vector<uint32_t> clear(256, 0);
  const auto badged = BadgedIcon(clear, 16, 3);
  EXPECT_EQ(badged[0], 0u) << "a clear pixel outside the badge stays clear";
  EXPECT_EQ(badged[14 * 16 + 10] >> 24, 0xFFu) << "the badge is opaque over a clear corner";
  EXPECT_EQ(BadgedIcon(clear, 16, 0), clear);
  EXPECT_EQ(BadgedIcon(std::vector<uint32_t>(10, 0), 16, 1), std::vector<uint32_t>(10, 0)) << "a picture of the wrong size";
}

TEST(TrayIcon, TheIconIsDrawnAtTheTraysRealSize) {
  struct Case {
    int systemSize;
    unsigned dpi;
    int size;
  } cases[] = {
      {16, 96, 16}, {20, 120, 20}, {24, 144, 24}, {32, 192, 32},  // what the system says
      {0, 96, 16},  {0, 120, 20},  {0, 144, 24},  {0, 168, 28}, {0, 192, 32}, {0, 0, 16},  // scaled from 16
  };
  for (const Case& c : cases) EXPECT_EQ(TrayIconSize(c.systemSize, c.dpi), c.size) << c.systemSize << " at " << c.dpi;
}

TEST(TrayIcon, AddingIsTriedAgainForAboutAMinuteWithGrowingWaits) {
  unsigned total = 0, previous = 0;
  int failures = 1;
  for (; TrayAddRetryMs(failures) != 0; ++failures) {
    EXPECT_GE(TrayAddRetryMs(failures), previous) << "the waits never shrink";
    previous = TrayAddRetryMs(failures);
    total += previous;
  }
  EXPECT_GE(total, 50000u);
  EXPECT_LE(total, 70000u);
  EXPECT_LE(TrayAddRetryMs(1), 1000u) << "the first retry comes soon";
  EXPECT_EQ(TrayAddRetryMs(failures + 5), 0u) << "given up stays given up";
  EXPECT_EQ(TrayAddRetryMs(0), 0u);
}

TEST(TrayIcon, TheFirstStartBalloonComesOnceAndSaysHowToPinWhereIconsHide) {
  EXPECT_FALSE(FirstStartBalloon(true, 19045).has_value()) << "set.ini was there: the program ran before";
  EXPECT_FALSE(FirstStartBalloon(true, 22631).has_value());
  const auto ten = FirstStartBalloon(false, 19045);
  const auto eleven = FirstStartBalloon(false, 22000);
  ASSERT_TRUE(ten && eleven);
  for (const auto& balloon : {*ten, *eleven}) {
    EXPECT_LT(balloon.title.size(), 64u) << "the balloon's title holds 63 characters";
    EXPECT_LT(balloon.text.size(), 256u) << "its text 255";
    EXPECT_NE(balloon.text.find(L"области уведомлений"), std::wstring::npos) << "says where the program lives";
  }
  EXPECT_EQ(ten->text.find(L"перетащите"), std::wstring::npos) << "Windows 10 shows new icons";
  EXPECT_NE(eleven->text.find(L"перетащите"), std::wstring::npos) << "Windows 11 hides them: how to pin it";
}

}  // namespace
}  // namespace orvelle

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
  EXPECT_EQ(TrayTip({1, L""}), L"ORVELLE: профиль 1");
  EXPECT_EQ(TrayTip({2, L"game.exe"}), L"ORVELLE: профиль 2 (game.exe)");
  const std::wstring tip = TrayTip({3, std::wstring(200, L'x') + L".exe"});
  EXPECT_EQ(tip.size(), 127u) << "the tip holds 127 characters";
  EXPECT_TRUE(tip.ends_with(L"…)"));
}

TEST(ProfileFollow, TheBadgeCarriesTheDigitAndLeavesTheRestOfTheIcon) {
  for (int size : {16, 20, 32}) {
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

}  // namespace
}  // namespace orvelle

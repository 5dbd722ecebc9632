// The profile that follows the program in front, and what the tray shows of it.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/profile_follow.h"
#include "app/programs_editor.h"

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

TEST(ProfileFollow, TheTrayTipNamesTheProfileAndWhatChoseIt) {
  EXPECT_EQ(TrayTip({1, L""}), L"ORVELLE: профиль 1");
  EXPECT_EQ(TrayTip({2, L"game.exe"}), L"ORVELLE: профиль 2 (game.exe)");
  const std::wstring tip = TrayTip({3, std::wstring(200, L'x') + L".exe"});
  EXPECT_EQ(tip.size(), 127u) << "the tip holds 127 characters";
  EXPECT_TRUE(tip.ends_with(L"…)"));
}

TEST(ProfileFollow, TheRunValueStartsThisProgramOrNot) {
  const std::wstring exe = L"C:\\Users\\u\\AppData\\Local\\Programs\\ORVELLE\\orvelle.exe";
  EXPECT_EQ(RunCommandFor(exe), L"\"" + exe + L"\"");
  const std::pair<std::wstring, bool> values[] = {
      {RunCommandFor(exe), true},
      {L"\"c:\\users\\U\\appdata\\local\\programs\\orvelle\\ORVELLE.EXE\" /tray", true},
      {exe, true},
      {L"\"D:\\old\\orvelle.exe\"", false},
      {L"\"" + exe, true},  // an unclosed quote: the rest is the path
      {L"", false},
      {L"\"\"", false},
  };
  for (const auto& [value, runs] : values) EXPECT_EQ(RunsThisProgram(value, exe), runs) << std::string(value.begin(), value.end());
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

TEST(ProgramsDialog, TheAddMenuOffersEachUnboundProgramOnce) {
  const std::vector<OpenProgram> open = {
      {L"C:\\Games\\Zed.exe", L"Zed"},       {L"C:\\Windows\\notepad.exe", L"a.txt - Notepad"},
      {L"C:\\Windows\\NOTEPAD.EXE", L"b.txt"}, {L"C:\\Games\\game.exe", L"Game"},
      {L"", L"no path"},                         {L"C:\\apps\\alpha.exe", L"A & B\tC"},
  };
  const auto offered = ProgramsToOffer(open, {{L"GAME.exe", 2}});
  ASSERT_EQ(offered.size(), 3u);
  EXPECT_EQ(offered[0], (OpenProgram{L"C:\\apps\\alpha.exe", L"A & B\tC"}));
  EXPECT_EQ(offered[1].title, L"a.txt - Notepad") << "the first window of a program";
  EXPECT_EQ(offered[2].title, L"Zed");
  EXPECT_EQ(OfferLabel(offered[0]), L"alpha.exe — A && B C") << "no mnemonic, no column";
  EXPECT_EQ(OfferLabel({L"x.exe", std::wstring(200, L'y')}).size(), 80u);
}

TEST(ProgramsDialog, AddChangeAndRemoveWorkOnTheSelectedRow) {
  ProgramsEditor editor({{L"one.exe", 3}});
  EXPECT_EQ(editor.selection(), -1);
  ASSERT_TRUE(editor.Add(L"C:\\Games\\Two.exe"));
  EXPECT_EQ(editor.bindings().back(), (ProgramBinding{L"Two.exe", kNewBindingProfile}));
  EXPECT_EQ(editor.selection(), 1);
  editor.SetProfile(3);
  ASSERT_TRUE(editor.Add(L"ONE.EXE"));
  EXPECT_EQ(editor.selection(), 0) << "a bound program is selected, not added twice";
  EXPECT_EQ(editor.bindings().size(), 2u);
  editor.SetProfile(7);
  EXPECT_EQ(editor.bindings()[0].profile, 3) << "no such profile";
  EXPECT_FALSE(editor.Add(L"C:\\bad|name.exe"));
  editor.Select(1);
  editor.RemoveSelected();
  EXPECT_EQ(editor.bindings(), (ProgramBindings{{L"one.exe", 3}}));
  EXPECT_EQ(editor.selection(), 0) << "the row before takes the selection";
  editor.RemoveSelected();
  EXPECT_EQ(editor.selection(), -1);
  editor.RemoveSelected();
  editor.SetProfile(1);
  EXPECT_TRUE(editor.bindings().empty());
}

}  // namespace
}  // namespace orvelle

// Which profile goes with which program: names as the file may hold them, and the lookup by the
// path of the program in front.
#include <gtest/gtest.h>

#include "model/program_bindings.h"

namespace orvelle {
namespace {

TEST(ProgramBindings, ReadKeepsOnlyWhatCanBeUsed) {
  const std::wstring longName(300, L'x');
  const ProgramBindings read = ReadBindings({
      {L"game.exe", L"2"},
      {L"GAME.EXE", L"3"},             // the same program again: the first line counts
      {L"Игра.exe", L" 3 "},
      {L"zero.exe", L"0"},             // no such profile
      {L"four.exe", L"4"},
      {L"words.exe", L"two"},
      {L"", L"1"},                     // no name
      {L"C:\\Games\\x.exe", L"1"},     // a path, not a file name
      {longName, L"1"},
      {L"tab\tname.exe", L"1"},
      {L"wow.exe", L"1"},
  });
  EXPECT_EQ(read, (ProgramBindings{{L"game.exe", 2}, {L"Игра.exe", 3}, {L"wow.exe", 1}}));

  std::vector<IniEntry> many;
  for (int i = 0; i < 1000; ++i) many.push_back({L"p" + std::to_wstring(i) + L".exe", L"1"});
  EXPECT_EQ(ReadBindings(many).size(), kMaxProgramBindings);
  EXPECT_EQ(ReadBindings(BindingEntries(read)), read) << "written and read back alike";
}

TEST(ProgramBindings, TheProgramInFrontIsFoundByItsFileNameInAnyCase) {
  ProgramBindings bindings;
  ASSERT_TRUE(SetBinding(bindings, L"Game.exe", 2));
  ASSERT_TRUE(SetBinding(bindings, L"игра.exe", 3));
  const std::pair<const wchar_t*, int> cases[] = {
      {L"C:\\Games\\GAME.EXE", 2},  {L"Z:/home/u/game.exe", 2}, {L"game.exe", 2},
      {L"D:\\ИГРА.EXE", 3},         {L"C:\\Games\\game.exe.bak", 0}, {L"C:\\game\\other.exe", 0}, {L"", 0},
  };
  for (const auto& [path, profile] : cases) EXPECT_EQ(BoundProfile(bindings, path), profile) << path;

  EXPECT_TRUE(SetBinding(bindings, L"GAME.exe", 1)) << "a bound program gets its new profile";
  EXPECT_EQ(bindings.size(), 2u);
  EXPECT_EQ(BoundProfile(bindings, L"game.exe"), 1);
  EXPECT_FALSE(SetBinding(bindings, L"x.exe", 4));
  EXPECT_FALSE(SetBinding(bindings, L"a\\b.exe", 1));
  EXPECT_FALSE(SetBinding(bindings, L"key=value.exe", 1)) << "would not survive the file";
}

}  // namespace
}  // namespace orvelle

// The programs dialog's list and menus.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/programs_editor.h"

namespace orvelle {
namespace {

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

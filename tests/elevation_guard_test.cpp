// What an elevated program in front means for remapping.
#include <gtest/gtest.h>

#include <string>

#include "app/elevation_guard.h"

namespace orvelle {
namespace {

TEST(ElevationGuard, LetsGoOnEnteringAnElevatedProgramAndTellsOncePerProgram) {
  struct Step {
    const wchar_t* program;
    bool elevated;
    bool weElevated;
    ElevationStep expected;
  };
  const Step steps[] = {
      {L"C:\\Games\\game.exe", false, false, ElevationStep::Nothing},
      {L"C:\\Games\\admin.exe", true, false, ElevationStep::LetGoAndTell},
      {L"C:\\Games\\admin.exe", true, false, ElevationStep::Nothing},  // another window of it
      {L"C:\\Games\\game.exe", false, false, ElevationStep::Nothing},
      {L"C:\\GAMES\\ADMIN.EXE", true, false, ElevationStep::LetGo},  // told already: let go, no word
      {L"C:\\Windows\\taskmgr.exe", true, false, ElevationStep::LetGoAndTell},
      {L"C:\\Games\\other.exe", true, true, ElevationStep::Nothing},  // we run elevated too: our hook sees it
      {L"", true, false, ElevationStep::LetGo},                       // a program we cannot name
      {L"", false, false, ElevationStep::Nothing},
  };
  ElevationGuard guard;
  int row = 0;
  for (const Step& s : steps) {
    EXPECT_EQ(guard.OnForeground(s.program, s.elevated, s.weElevated), s.expected) << "row " << row;
    ++row;
  }
  EXPECT_EQ(guard.told(), 2u);
}

TEST(ElevationGuard, RemembersABoundedNumberOfPrograms) {
  ElevationGuard guard;
  for (size_t i = 0; i < ElevationGuard::kMaxTold + 10; ++i) {
    guard.OnForeground(L"p" + std::to_wstring(i) + L".exe", true, false);
  }
  EXPECT_EQ(guard.told(), ElevationGuard::kMaxTold);
  EXPECT_EQ(guard.OnForeground(L"p0.exe", true, false), ElevationStep::LetGoAndTell) << "the oldest was forgotten";
  EXPECT_NE(ElevatedProgramText(L"C:\\Games\\admin.exe").find(L"«admin.exe»"), std::wstring::npos);
}

}  // namespace
}  // namespace orvelle

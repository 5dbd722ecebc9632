// Starting with Windows: the Run value.
#include <gtest/gtest.h>

#include "app/autostart.h"

namespace orvelle {
namespace {

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

}  // namespace
}  // namespace orvelle

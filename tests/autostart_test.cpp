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

TEST(ProfileFollow, TaskManagersDisabledStateTurnsTheRunValueOff) {
  const std::pair<std::vector<uint8_t>, bool> states[] = {
      {{}, true},                                            // no state: the Run value counts
      {{0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},       // enabled
      {{0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},       // enabled again after a change
      {{0x03, 0, 0, 0, 0x8c, 0x2a, 0x11, 0x4e, 0x5a, 0x3b, 0xd9, 0x01}, false},  // disabled, with the time
      {{0x01}, false},
  };
  for (const auto& [state, allows] : states) EXPECT_EQ(StartupApprovedAllows(state), allows) << state.size();
}

TEST(ElevatedAutostart, TheRunValueOrTheLogonTaskNeverBoth) {
  struct Case {
    bool startWithWindows, runAsAdmin;
    AutostartPlan plan;
  };
  const Case cases[] = {
      {false, false, {false, false}},
      {true, false, {true, false}},   // the Run value, as always
      {false, true, {false, false}},  // the option alone starts nothing with Windows
      {true, true, {false, true}},    // a Run value would start it with the filtered token
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlanAutostart(c.startWithWindows, c.runAsAdmin), c.plan) << c.startWithWindows << c.runAsAdmin;
  }
}

TEST(ElevatedAutostart, ChoosingRunAsAdministrator) {
  EXPECT_EQ(DecideRunAsAdmin(true, true), RunAsAdminStep::TurnOff);
  EXPECT_EQ(DecideRunAsAdmin(true, false), RunAsAdminStep::TurnOff) << "no prompt to turn it off";
  EXPECT_EQ(DecideRunAsAdmin(false, true), RunAsAdminStep::TurnOn) << "already elevated: no prompt, no restart";
  EXPECT_EQ(DecideRunAsAdmin(false, false), RunAsAdminStep::RestartElevated);
}

TEST(ElevatedAutostart, TheLogonTaskRunsThisUsersProgramElevatedWithoutTheSchedulersLimits) {
  const std::wstring xml = LogonTaskXml(L"C:\\Games & Tools\\<ORVELLE>\\orvelle.exe", L"PC\\Tom");
  for (const wchar_t* part : {
           L"<LogonTrigger><Enabled>true</Enabled><UserId>PC\\Tom</UserId></LogonTrigger>",
           L"<Principal id=\"Author\"><UserId>PC\\Tom</UserId><LogonType>InteractiveToken</LogonType>"
           L"<RunLevel>HighestAvailable</RunLevel></Principal>",
           L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
           L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>",
           L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
           L"<Command>C:\\Games &amp; Tools\\&lt;ORVELLE&gt;\\orvelle.exe</Command>",
       }) {
    EXPECT_NE(xml.find(part), std::wstring::npos) << std::string(xml.begin(), xml.end());
  }
}

}  // namespace
}  // namespace orvelle

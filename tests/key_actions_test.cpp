// From a profile file to what each key plays: the hold flag, timed and looped macros and the key
// hold time, as the loader reads them and the engine compiles them.
#include <gtest/gtest.h>

#include <sstream>

#include "engine/key_actions.h"
#include "model/profile_file.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

// "65↓ 65↑+20": each step's key and direction, and its wait when it has one; then "×n" for loops.
std::string Describe(const KeyAction& action) {
  static const char* kKinds[] = {"identity", "tap", "hold", "macro", "hold-macro", "text", "disabled", "launch"};
  std::ostringstream out;
  out << kKinds[static_cast<int>(action.kind)];
  if (!action.program) return out.str();
  out << ':';
  for (const ProgramStep& step : action.program->steps) {
    out << ' ' << (step.unicode ? "u" : "") << step.code << (step.down ? "↓" : "↑");
    if (step.delayMs != 0) out << '+' << step.delayMs;
  }
  if (action.program->loops != 1) out << " ×" << action.program->loops;
  return out.str();
}

TEST(KeyActions, WhatEachKeyPlaysFromTheFile) {
  const KeyTable table = testing::MakeKeyTable({{1, 112, L"F1"}, {2, 113, L"F2"}, {3, 114, L"F3"}, {4, 115, L"F4"},
                                                {5, 116, L"F5"}, {6, 117, L"F6"}, {7, 118, L"F7"}, {8, 119, L"F8"}});
  testing::TempFolder folder;
  const std::wstring path = folder.WriteUtf16(L"set.ini",
      L"[Profile1]\n"
      L"IndexPic112=0\nKey112=65\n"
      L"IndexPic113=0\nKey113=38\nHold113=1\n"
      L"IndexPic114=1\nMacroIndex114=0\nSetName114=two\n"
      L"IndexPic115=1\nMacroIndex115=1\nSetName115=timed\n"
      L"IndexPic116=1\nMacroIndex116=1\nSetName116=timed\nHold116=1\n"
      L"IndexPic117=1\nMacroIndex117=2\nSetName117=odd\n"
      L"IndexPic118=0\nKey118=118\nHold118=1\n"
      L"IndexPic119=1\nMacroIndex119=3\nSetName119=garbage\n"
      L"MacroStrNum=4\nMacroName0=two\nMacroName1=timed\nMacroName2=odd\nMacroName3=garbage\n"
      L"MacroKey0=0,65,1,0,66,1,-2147483648,65,0,-2147483648,66,0\nMacroKeyNum0=12\nMacroLoop0=3\n"
      L"MacroKey1=0,65,1,-2147483648,65,0,0,66,1,-2147483648,66,0\nMacroKeyNum1=12\n"
      L"MacroDelay1=0,20,300,20\n"
      L"MacroKey2=0,65,1,0,0,1,-2147483648,65,0\nMacroKeyNum2=9\nMacroDelay2=5,100,50\n"
      L"MacroKey3=0,67,1,-2147483648,67,0\nMacroKeyNum3=6\nMacroLoop3=many\nMacroDelay3=x,y\n"
      L"[TYPE]\ntype=1\nTapMs=20\n");
  PortableIni io;
  ProfileSet set;
  LoadAllProfiles(io, path, table, set);
  ASSERT_EQ(set.tapMs, 20);
  const KeyActions actions = CompileActions(set.Profile(1), table, set.tapMs);

  const std::pair<int, const char*> expected[] = {
      {112, "tap: 65↓ 65↑+20"},                           // each key down for the hold time
      {113, "hold: 38↓"},                                 // the release comes with the key's
      {114, "macro: 65↓ 66↓ 65↑+20 66↑ ×3"},              // untimed: presses, then releases
      {115, "macro: 65↓ 65↑+20 66↓+300 66↑+20"},          // timed: the recorded order and waits
      {116, "hold-macro: 65↓ 65↑+20 66↓+300 66↑+20"},
      {117, "macro: 65↓+5 65↑+150"},                      // a step with no key: its wait still passes
      {118, "identity"},                                  // held or not, the key sends itself
      {119, "macro: 67↓ 67↑"},                            // garbage loops and waits: once, no waits
      {120, "identity"},
  };
  for (const auto& [code, what] : expected) {
    EXPECT_EQ(Describe(actions[static_cast<size_t>(code)]), what) << code;
  }
}

TEST(KeyActions, DisabledTextAndProgramKeysActByTheirKindAndUnknownKindsSendThemselves) {
  std::vector<testing::SlotDef> slots;
  for (int e = 1; e <= 12; ++e) slots.push_back({e, 111 + e, L"F" + std::to_wstring(e)});
  const KeyTable table = testing::MakeKeyTable(slots);
  testing::TempFolder folder;
  const std::wstring path =
      folder.WriteUtf16(L"set.ini",
                        L"[Profile1]\n"
                        L"IndexPic112=4\nKey112=65\n"                     // a stale target: still disabled
                        L"IndexPic113=5\nText113=\u0416\\n\nHold113=1\n"  // held or not, typed at the release
                        L"IndexPic114=5\n"                                // no text
                        L"IndexPic115=5\nText115=\"  \"\n"                // only blanks, quoted: typed
                        L"IndexPic116=6\nProgram116=C:\\Windows\\notepad.exe\nArgs116=a.txt\n"
                        L"IndexPic117=6\nArgs117=x\n"  // arguments without a program
                        L"IndexPic118=7\nKey118=65\n"  // kinds this program does not know
                        L"IndexPic119=-1\nText119=x\n"
                        L"IndexPic120=garbage\nKey120=66\n"  // no number: kind 0
                        L"IndexPic121=0\nKey121=67\nText121=ignored\nProgram121=ignored\n"
                        L"IndexPic122=5\nText122=\\x01\x01\n"  // an unknown escape stays, a control character goes
                        L"[TYPE]\ntype=1\n");
  PortableIni io;
  ProfileSet set;
  LoadAllProfiles(io, path, table, set);
  const KeyActions actions = CompileActions(set.Profile(1), table, 20);

  const std::pair<int, const char*> expected[] = {
      {112, "disabled"},
      {113, "text: u1046↓ u1046↑ 13↓ 13↑"},  // no key hold time between the units either
      {114, "identity"},
      {115, "text: u32↓ u32↑ u32↓ u32↑"},
      {116, "launch"},
      {117, "identity"},
      {118, "identity"},
      {119, "identity"},
      {120, "tap: 66↓ 66↑+20"},
      {121, "tap: 67↓ 67↑+20"},
      {122, "text: u92↓ u92↑ u120↓ u120↑ u48↓ u48↑ u49↓ u49↑"},
  };
  for (const auto& [code, what] : expected) {
    EXPECT_EQ(Describe(actions[static_cast<size_t>(code)]), what) << code;
  }
  const ProfileData& p = set.Profile(1);
  EXPECT_EQ(p.records[4].args, L"a.txt");
  EXPECT_EQ(p.records[5].args, L"") << "no program, no arguments";
  EXPECT_EQ(p.records[9].text + p.records[9].program, L"") << "a single key keeps no text or program";
}

}  // namespace
}  // namespace orvelle

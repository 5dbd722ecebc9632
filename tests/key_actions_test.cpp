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
  static const char* kKinds[] = {"identity", "tap",      "hold",   "macro", "hold-macro",
                                 "text",     "disabled", "launch", "turbo", "profile"};
  static const char* kTargets[] = {"?", "1", "2", "3", "next", "pause"};
  std::ostringstream out;
  out << kKinds[static_cast<int>(action.kind)];
  if (action.kind == ActionKind::Profile) out << ' ' << kTargets[static_cast<int>(action.profileTarget)];
  if (!action.program) return out.str();
  out << ':';
  for (const ProgramStep& step : action.program->steps) {
    out << ' ' << (step.unicode ? "u" : step.mouse ? "m" : "") << step.code << (step.down ? "↓" : "↑");
    if (step.delayMs != 0) out << '+' << step.delayMs;
  }
  if (action.program->loops != 1) out << " ×" << action.program->loops;
  if (action.program->periodMs != 0) out << " every " << action.program->periodMs;
  if (action.program->repeatMouse) out << " repeats m" << action.program->repeatCode;
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
  for (int e = 1; e <= 15; ++e) slots.push_back({e, 111 + e, L"F" + std::to_wstring(e)});
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
                        L"IndexPic118=9\nKey118=65\n"  // kinds this program does not know
                        L"IndexPic119=-1\nText119=x\n"
                        L"IndexPic120=garbage\nKey120=66\n"  // no number: kind 0
                        L"IndexPic121=0\nKey121=67\nText121=ignored\nProgram121=ignored\n"
                        L"IndexPic122=5\nText122=\\x01\x01\n"  // an unknown escape stays, a control character goes
                        L"IndexPic123=7\nProfile123=7\n"       // values this program does not know
                        L"IndexPic124=8\nMouse124=nose\n"
                        L"IndexPic125=0\nKey125=65\nTurbo125=5\n"  // turbo off: a plain tap
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
      {123, "identity"},
      {124, "identity"},
      {125, "tap: 65↓ 65↑+20"},
  };
  for (const auto& [code, what] : expected) {
    EXPECT_EQ(Describe(actions[static_cast<size_t>(code)]), what) << code;
  }
  const ProfileData& p = set.Profile(1);
  EXPECT_EQ(p.records[4].args, L"a.txt");
  EXPECT_EQ(p.records[5].args, L"") << "no program, no arguments";
  EXPECT_EQ(p.records[9].text + p.records[9].program, L"") << "a single key keeps no text or program";
}

TEST(KeyActions, ProfileMouseAndTurboKeysAndTheValuesThisVersionDoesNotKnow) {
  std::vector<testing::SlotDef> slots;
  for (int e = 1; e <= 20; ++e) slots.push_back({e, 111 + e, L"F" + std::to_wstring(e)});
  KeyTable table = testing::MakeKeyTable(slots);
  table.media[L"Пред. трек"] = 177;
  testing::TempFolder folder;
  const std::wstring path =
      folder.WriteUtf16(L"set.ini",
                        L"[Profile1]\n"
                        L"IndexPic112=7\nProfile112=1\n"
                        L"IndexPic113=7\nProfile113=next\nHold113=1\nTurbo113=50\n"  // neither held nor turbo
                        L"IndexPic114=7\nProfile114=pause\n"
                        L"IndexPic115=7\nProfile115=7\n"  // a profile this version does not know
                        L"IndexPic116=7\n"                // no profile
                        L"IndexPic117=8\nMouse117=left\nHold117=1\n"
                        L"IndexPic118=8\nMouse118=wheelup\n"
                        L"IndexPic119=8\nMouse119=x2\nTurbo119=40\n"
                        L"IndexPic120=8\nMouse120=nose\n"  // a button this version does not know
                        L"IndexPic121=8\nMouse121=LEFT\n"  // values are written in lower case
                        L"IndexPic122=0\nKey122=65\nTurbo122=50\n"
                        L"IndexPic123=0\nKey123=65\nTurbo123=5\n"                // too fast: off
                        L"IndexPic124=0\nKey124=65\nTurbo124=50\nHold124=1\n"    // both: turbo
                        L"IndexPic125=0\nKey125=125\nTurbo125=1000\n"            // rapid fire of the key itself
                        L"IndexPic126=0\nKey126=65\nTurbo126=1001\nHold126=1\n"  // too slow: off, held
                        L"IndexPic127=2\nSetName127=Пред. трек\nTurbo127=99\n"
                        L"IndexPic128=3\nSetName128=Копировать\nTurbo128=20\n"
                        L"IndexPic129=1\nMacroIndex129=0\nSetName129=m\nTurbo129=50\n"  // no turbo for macros
                        L"IndexPic130=5\nText130=x\nTurbo130=50\n"                      // nor texts
                        L"IndexPic131=8\nMouse131=right\nTurbo131=abc\n"
                        L"MacroStrNum=1\nMacroName0=m\nMacroKey0=0,65,1,-2147483648,65,0\nMacroKeyNum0=6\n"
                        L"[TYPE]\ntype=1\n");
  PortableIni io;
  ProfileSet set;
  LoadAllProfiles(io, path, table, set);
  set.tapMs = 20;
  const KeyActions actions = CompileActions(set.Profile(1), table, 20);

  const std::pair<int, std::string> expected[] = {
      {112, "profile 1"},
      {113, "profile next"},
      {114, "profile pause"},
      {115, "identity"},
      {116, "identity"},
      {117, "hold: m1↓"},
      {118, "hold: m6↓ repeats m6"},
      {119, "turbo: m5↓ m5↑+20 every 40"},
      {120, "identity"},
      {121, "identity"},
      {122, "turbo: 65↓ 65↑+25 every 50"},
      {123, "tap: 65↓ 65↑+20"},
      {124, "turbo: 65↓ 65↑+25 every 50"},
      {125, "turbo: 125↓ 125↑+500 every 1000"},
      {126, "hold: 65↓"},
      {127, "turbo: 177↓ 177↑+49 every 99"},
      {128, "turbo: 17↓ 67↓ 17↑+10 67↑ every 20"},
      {129, "macro: 65↓ 65↑+20"},
      {130, "text: u120↓ u120↑"},
      {131, "hold: m2↓"},
  };
  for (const auto& [code, what] : expected) {
    EXPECT_EQ(Describe(actions[static_cast<size_t>(code)]), what) << code;
  }
  const ProfileData& p = set.Profile(1);
  EXPECT_FALSE(p.records[12].hold) << "a file holding both means turbo";
  EXPECT_EQ(p.records[1].turboMs, 0) << "a profile key has no turbo";
  EXPECT_EQ(p.records[17].turboMs, 0) << "nor a macro key";
}

}  // namespace
}  // namespace orvelle

// The profile file: exact layout of a written section, round trips and hand-edited files.
#include <gtest/gtest.h>

#include "model/profile_file.h"
#include "tests/test_support.h"

namespace orvelle {

void PrintTo(const IniEntry& e, std::ostream* os) {
  *os << std::string(e.key.begin(), e.key.end()) << "=<" << e.value.size() << " chars>";
}

namespace {

using testing::TempFolder;

std::vector<IniEntry> Entries(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> list) {
  std::vector<IniEntry> entries;
  for (const auto& [key, value] : list) entries.push_back({key, value});
  return entries;
}


class ProfileFileTest : public ::testing::Test {
 protected:
  TempFolder folder;
  PortableIni io;
  std::wstring path = folder.Path(L"set.ini");
};

// Entries 1, 2, 3 are Esc, F1, F2; F1 plays macro define0 (A down, A up), F2 copies.
ProfileSet ExampleProfiles(const KeyTable& table) {
  ProfileSet set;
  InitKeyMaps(set);
  ProfileData& p = set.Profile(1);
  p.records[0] = {L"Esc", 0, 0};
  p.records[1] = {L"define0", 1, 0};
  p.records[2] = {L"Копировать", 3, 0};
  p.macroNames = {L"define0"};
  p.macroSteps = {{1966080, 65, 1, -2145517568, 65, 0}};
  p.assignedSlots = {1, 2};
  for (int e = 1; e <= 3; ++e) {
    BuildOutputSequence(table.Entry(e), p.records[static_cast<size_t>(e - 1)], table.Entry(e).keyCode, table.media, p);
  }
  set.working = p;
  return set;
}

TEST_F(ProfileFileTest, SaveWritesEachKeyGroupThenMacrosThenTheAssignedList) {
  const KeyTable table = testing::MakeKeyTable({{1, 27, L"Esc"}, {2, 112, L"F1"}, {3, 113, L"F2"}});
  ProfileSet set = ExampleProfiles(table);
  WriteAllProfiles(io, path, table, set);

  // Entries 4..121 are absent from this layout and share key code 0: their group is written
  // once, in the place of the first write, after the third group.
  const auto expected = Entries({
      {L"IndexPic27", L"0"},        {L"MacroIndex27", L"0"},  {L"SetName27", L"Esc"},
      {L"Key27", L"27"},            {L"IndexPic112", L"1"},   {L"MacroIndex112", L"0"},
      {L"SetName112", L"define0"},  {L"IndexPic113", L"3"},   {L"MacroIndex113", L"0"},
      {L"SetName113", L"Копировать"},
      {L"IndexPic0", L"0"},         {L"MacroIndex0", L"0"},   {L"SetName0", L""},
      {L"Key0", L"0"},
      {L"MacroStrNum", L"1"},       {L"MacroName0", L"define0"},
      {L"MacroKey0", L"1966080,65,1,-2145517568,65,0"},       {L"MacroKeyNum0", L"6"},
      {L"SetIndexNum", L"2"},       {L"setindex0", L"1"},     {L"setindex1", L"2"},
  });
  EXPECT_EQ(io.ReadSection(path, L"Profile1"), expected);
  EXPECT_EQ(io.ReadInt(path, L"TYPE", L"type", 0), 1);
  EXPECT_EQ(io.ReadSection(path, L"Profile2").size(), 4u * 4u + 2u);

  ProfileSet loaded;
  InitKeyMaps(loaded);
  LoadAllProfiles(io, path, table, loaded);
  const ProfileData& saved = set.Profile(1);
  EXPECT_EQ(loaded.working, loaded.Profile(1));
  EXPECT_EQ(loaded.Profile(1).records, saved.records);
  EXPECT_EQ(loaded.Profile(1).macroNames, saved.macroNames);
  EXPECT_EQ(loaded.Profile(1).macroSteps, saved.macroSteps);
  EXPECT_EQ(loaded.Profile(1).macroIndexMap, saved.macroIndexMap);
  EXPECT_EQ(loaded.Profile(1).assignedSlots, saved.assignedSlots);
  EXPECT_EQ(loaded.Profile(1).keyMap.at(27), (OutputSequence{27}));
  EXPECT_EQ(loaded.Profile(1).keyMap.at(112), (OutputSequence{65}));
  EXPECT_EQ(loaded.Profile(1).keyMap.at(113), (OutputSequence{17, 67}));
}

TEST_F(ProfileFileTest, ActiveProfileIsLoadedLastAndBadNumbersMeanOne) {
  const KeyTable table = testing::MakeKeyTable({{1, 65, L"A"}});
  for (auto [stored, active] : {std::pair{1, 1}, {2, 2}, {3, 3}, {0, 1}, {4, 1}, {-3, 1}}) {
    std::wstring text = L"[TYPE]\ntype=" + std::to_wstring(stored) + L"\n";
    for (int n = 1; n <= 3; ++n) {
      text += L"[Profile" + std::to_wstring(n) + L"]\nIndexPic65=0\nKey65=" + std::to_wstring(70 + n) + L"\n";
    }
    folder.WriteUtf16(L"set.ini", text);
    ProfileSet set;
    InitKeyMaps(set);
    set.pending = true;
    LoadAllProfiles(io, path, table, set);
    EXPECT_EQ(set.activeProfile, active);
    EXPECT_EQ(set.working.keyMap.at(65), OutputSequence{70 + active}) << "working copy = active profile";
    EXPECT_EQ(set.Profile(2).keyMap.at(65), OutputSequence{72});
    EXPECT_FALSE(set.pending);
  }
}

TEST_F(ProfileFileTest, MissingFileSectionOrKeysLeaveKeysSendingThemselves) {
  const KeyTable table = testing::MakeKeyTable({{1, 65, L"A"}, {2, 66, L"B"}});
  ProfileSet set;
  InitKeyMaps(set);
  LoadAllProfiles(io, path, table, set);
  EXPECT_EQ(set.activeProfile, 1);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(set.Profile(n).keyMap.at(65), OutputSequence{65}) << "a first start leaves every key working";
    EXPECT_EQ(set.Profile(n).records[1].name, L"B");
  }

  // A section that exists but lacks a key group (a partial import, a hand-edited file): that key
  // reads as a single key without a target and keeps sending itself.
  folder.WriteUtf16(L"set.ini", L"[Profile1]\nIndexPic65=0\nKey65=70\n");
  LoadAllProfiles(io, path, table, set);
  EXPECT_EQ(set.working.keyMap.at(65), OutputSequence{70});
  EXPECT_EQ(set.working.keyMap.at(66), OutputSequence{66});
  EXPECT_EQ(set.working.records[1].name, L"");
  EXPECT_EQ(set.Profile(2).keyMap.at(66), OutputSequence{66});
}

TEST_F(ProfileFileTest, HandEditedValuesAreReadSafely) {
  const KeyTable table = testing::MakeKeyTable(
      {{1, 65, L"A"}, {2, 66, L"B"}, {3, 67, L"C"}, {4, 65, L"A2"}, {5, 69, L"E"}, {6, 70, L"F"}});
  folder.WriteUtf16(L"set.ini",
                    L"[Profile1]\n"
                    L"IndexPic65=1\nMacroIndex65=1\nSetName65=  padded name   \n"
                    L"IndexPic66=1\nMacroIndex66=99\nSetName66=dangling\n"
                    L"IndexPic67=0\nKey67=\"68\"\n"
                    L"IndexPic69=0\nKey69=0\n"
                    L"IndexPic70=0\nKey70=300\n"
                    L"MacroStrNum=3\n"
                    L"MacroName0=first\nMacroName1=second\nMacroName5=ignored\n"
                    L"MacroKey0=1,65,1,2,65\nMacroKeyNum0=6\n"        // fewer fields than counted
                    L"MacroKey1=1,66,1,2,66,0,9,9,9\nMacroKeyNum1=6\n"  // more fields than counted
                    L"MacroKey2=1,67,1\nMacroKeyNum2=-4\n"
                    L"SetIndexNum=6\nsetindex0=0\nsetindex1=500\nsetindex2=-1\nsetindex3=0\nsetindex4=2\n");
  ProfileSet set;
  InitKeyMaps(set);
  LoadAllProfiles(io, path, table, set);
  const ProfileData& p = set.working;

  EXPECT_EQ(p.macroNames, (std::vector<std::wstring>{L"first", L"second", L""}));
  EXPECT_EQ(p.macroSteps[0], (MacroSteps{1, 65, 1, 2, 65, 0}));
  EXPECT_EQ(p.macroSteps[1], (MacroSteps{1, 66, 1, 2, 66, 0}));
  EXPECT_TRUE(p.macroSteps[2].empty());
  EXPECT_EQ(p.records[0].name, L"padded name");
  EXPECT_EQ(p.records[3].name, L"padded name") << "two slots with one key code share one group";
  EXPECT_EQ(p.keyMap.at(65), (OutputSequence{66}));
  EXPECT_EQ(p.keyMap.at(66), (OutputSequence{66})) << "a dangling macro index leaves the key sending itself";
  EXPECT_EQ(p.macroIndexMap.count(66), 0u);
  EXPECT_EQ(p.keyMap.at(67), (OutputSequence{68}));
  EXPECT_EQ(p.keyMap.at(69), (OutputSequence{69})) << "code 0 is never sent";
  EXPECT_EQ(p.keyMap.at(70), (OutputSequence{70})) << "a code past 254 is no key";
  EXPECT_EQ(p.assignedSlots, (std::vector<int>{0, 2})) << "out-of-range and repeated elements dropped";
}

TEST_F(ProfileFileTest, HugeCountsAreBoundedByTheSection) {
  const KeyTable table = testing::MakeFullKeyTable();
  folder.WriteUtf16(L"set.ini",
                    L"[TYPE]\ntype=2147483647\n"
                    L"[Profile1]\nMacroStrNum=2147483647\nMacroName0=x\nMacroKey0=1,65,1\n"
                    L"MacroKeyNum0=2147483647\nSetIndexNum=2147483647\nsetindex0=3\n");
  ProfileSet set;
  InitKeyMaps(set);
  LoadAllProfiles(io, path, table, set);
  EXPECT_LE(set.working.macroSteps.size(), 7u);
  EXPECT_EQ(set.working.macroSteps[0], (MacroSteps{1, 65, 1}));
  EXPECT_EQ(set.working.assignedSlots.front(), 3);
}

TEST_F(ProfileFileTest, LongMacrosSurviveSaveAndLoad) {
  const KeyTable table = testing::MakeFullKeyTable();
  ProfileSet set;
  InitKeyMaps(set);
  MacroSteps steps;
  for (int i = 0; i < 20; ++i) {
    const int key = 65 + i % 26;
    steps.insert(steps.end(), {1966080 + i * 65536, key, 1, static_cast<int>(0xC01E0001u) - i, key, 0});
  }
  set.working.macroNames = {L"Двадцать нажатий"};
  set.working.macroSteps = {steps};
  set.working.records[0] = {L"Двадцать нажатий", 1, 0};
  set.working.assignedSlots = {0};
  BuildOutputSequence(table.Entry(1), set.working.records[0], 0, table.media, set.working);
  set.Active() = set.working;
  WriteAllProfiles(io, path, table, set);

  ProfileSet loaded;
  InitKeyMaps(loaded);
  LoadAllProfiles(io, path, table, loaded);
  ASSERT_EQ(loaded.working.macroSteps.size(), 1u);
  EXPECT_EQ(loaded.working.macroSteps[0], steps);
  EXPECT_EQ(loaded.working.keyMap.at(11).size(), 20u);
  EXPECT_EQ(loaded.working.macroNames[0], L"Двадцать нажатий");
}

TEST_F(ProfileFileTest, SaveEmptiesTheSectionAndLeavesOtherSectionsAlone) {
  const KeyTable table = testing::MakeKeyTable({{1, 65, L"A"}});
  folder.WriteUtf16(L"set.ini", L"[Profile1]\nStale=1\nMacroName7=old\n[Other]\nkeep=me\n");
  ProfileSet set;
  InitKeyMaps(set);
  set.Profile(1).keyMap.erase(65);  // a single-key slot without a target writes its own code
  SaveProfile(io, path, 1, table, set);
  const auto section = io.ReadSection(path, L"Profile1");
  EXPECT_EQ(section.size(), 4u + 4u + 2u);  // group of 65, group of 0, MacroStrNum, SetIndexNum
  EXPECT_EQ(io.ReadString(path, L"Profile1", L"Stale", L"gone"), L"gone");
  EXPECT_EQ(io.ReadInt(path, L"Profile1", L"Key65", -1), 65);
  EXPECT_EQ(io.ReadInt(path, L"Profile1", L"MacroStrNum", -1), 0);
  EXPECT_EQ(io.ReadInt(path, L"Profile1", L"SetIndexNum", -1), 0);
  EXPECT_EQ(io.ReadString(path, L"Other", L"keep", L""), L"me");
}

TEST_F(ProfileFileTest, MacrosLongerThanTheLimitAreCutToWholeSteps) {
  const KeyTable table = testing::MakeKeyTable({{1, 65, L"A"}});
  std::wstring steps;
  for (int i = 0; i < kMaxMacroSteps + 5; ++i) steps += std::wstring(i == 0 ? L"" : L",") + L"7,66,1";
  for (const int stored : {3 * (kMaxMacroSteps + 5), 3 * kMaxMacroSteps + 1, 3 * kMaxMacroSteps - 1}) {
    folder.WriteUtf16(L"set.ini", L"[Profile1]\nMacroStrNum=1\nMacroName0=long\nMacroKey0=" + steps +
                                      L"\nMacroKeyNum0=" + std::to_wstring(stored) + L"\n");
    ProfileSet set;
    InitKeyMaps(set);
    LoadAllProfiles(io, path, table, set);
    ASSERT_EQ(set.working.macroSteps.size(), 1u);
    EXPECT_EQ(set.working.macroSteps[0].size(), std::min<size_t>(stored, 3 * kMaxMacroSteps)) << stored;
    EXPECT_EQ(set.working.macroSteps[0].back(), stored % 3 == 2 ? 66 : 1) << stored;
  }
}

}  // namespace
}  // namespace orvelle

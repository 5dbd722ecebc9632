// The profile file: exact layout of a written section, round trips and hand-edited files.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

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
  p.records[0] = {L"Esc", AssignKind::SingleKey, 0};
  p.records[1] = {L"define0", AssignKind::Macro, 0};
  p.records[2] = {L"Копировать", AssignKind::Function, 0};
  p.macros.list = {testing::MacroOf(L"define0", {1966080, 65, 1, -2145517568, 65, 0})};
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
  EXPECT_EQ(loaded.Profile(1).macros.list, saved.macros.list);
  EXPECT_EQ(loaded.Profile(1).macros.indexMap, saved.macros.indexMap);
  EXPECT_EQ(loaded.Profile(1).assignedSlots, saved.assignedSlots);
  EXPECT_EQ(loaded.Profile(1).keyMap.at(27), (OutputSequence{27}));
  EXPECT_EQ(loaded.Profile(1).keyMap.at(112), (OutputSequence{65}));
  EXPECT_EQ(loaded.Profile(1).keyMap.at(113), (OutputSequence{17, 67}));
}

TEST_F(ProfileFileTest, HoldWaitsLoopsAndTheHoldTimeFollowWhatTheyBelongTo) {
  const KeyTable table = testing::MakeKeyTable({{1, 27, L"Esc"}, {2, 112, L"F1"}, {3, 113, L"F2"}});
  ProfileSet set = ExampleProfiles(table);
  ProfileData& p = set.Profile(1);
  p.records[0].hold = true;  // a single key: after its target
  p.records[1].hold = true;  // a macro key: after its name
  p.macros.list.push_back(testing::MacroOf(L"plain", {1, 66, 1}));
  p.macros.list[0].delays = {0, 120};  // define0 is timed, plain is not
  p.macros.list[0].loops = 3;          // plain plays once and says nothing of it
  set.tapMs = 20;
  set.runAsAdmin = true;
  set.osd = true;
  WriteAllProfiles(io, path, table, set);

  const auto expected = Entries({
      {L"IndexPic27", L"0"},        {L"MacroIndex27", L"0"},  {L"SetName27", L"Esc"},
      {L"Key27", L"27"},            {L"Hold27", L"1"},
      {L"IndexPic112", L"1"},       {L"MacroIndex112", L"0"}, {L"SetName112", L"define0"},
      {L"Hold112", L"1"},
      {L"IndexPic113", L"3"},       {L"MacroIndex113", L"0"}, {L"SetName113", L"Копировать"},
      {L"IndexPic0", L"0"},         {L"MacroIndex0", L"0"},   {L"SetName0", L""},
      {L"Key0", L"0"},
      {L"MacroStrNum", L"2"},       {L"MacroName0", L"define0"}, {L"MacroName1", L"plain"},
      {L"MacroKey0", L"1966080,65,1,-2145517568,65,0"},       {L"MacroKeyNum0", L"6"},
      {L"MacroDelay0", L"0,120"},   {L"MacroLoop0", L"3"},
      {L"MacroKey1", L"1,66,1"},    {L"MacroKeyNum1", L"3"},
      {L"SetIndexNum", L"2"},       {L"setindex0", L"1"},     {L"setindex1", L"2"},
  });
  EXPECT_EQ(io.ReadSection(path, L"Profile1"), expected);
  EXPECT_EQ(io.ReadSection(path, L"TYPE"), Entries({{L"type", L"1"}, {L"TapMs", L"20"}, {L"RunAsAdmin", L"1"}, {L"Osd", L"1"}}));
  EXPECT_EQ(io.ReadSection(path, L"Profile2").size(), 4u * 4u + 2u) << "a profile without them gains no key";

  ProfileSet loaded;
  InitKeyMaps(loaded);
  LoadAllProfiles(io, path, table, loaded);
  EXPECT_EQ(loaded.tapMs, 20);
  EXPECT_TRUE(loaded.runAsAdmin);
  EXPECT_TRUE(loaded.osd);
  EXPECT_EQ(loaded.Profile(1).records, p.records);
  EXPECT_EQ(loaded.Profile(1).macros.list, p.macros.list);
  EXPECT_EQ(loaded.Profile(2).macros.list, std::vector<Macro>{}) << "no macros, no timing";

  // Everything set back to its default leaves the file as if it had never been set.
  set.Profile(1) = ExampleProfiles(table).Profile(1);
  set.tapMs = 0;
  set.runAsAdmin = false;
  set.osd = false;
  WriteAllProfiles(io, path, table, set);
  for (const wchar_t* key : {L"Hold27", L"Hold112", L"MacroDelay0", L"MacroLoop0"}) {
    EXPECT_EQ(io.ReadString(path, L"Profile1", key, L"gone"), L"gone") << key;
  }
  EXPECT_EQ(io.ReadSection(path, L"TYPE"), Entries({{L"type", L"1"}}));
}

TEST_F(ProfileFileTest, TextProgramAndArgsComeAfterTheKeysOtherValuesAndOnlyForTheirKinds) {
  const KeyTable table = testing::MakeKeyTable({{1, 27, L"Esc"}, {2, 112, L"F1"}, {3, 113, L"F2"}});
  ProfileSet set = ExampleProfiles(table);
  ProfileData& p = set.Profile(1);
  p.records[0] = {L"Text: Hi", AssignKind::Text, 0, true, L"Hi\n"};
  p.records[1] = {L"Program: app.exe", AssignKind::Program, 0, false, L"", L"C:\\app.exe", L"-x"};
  p.records[2] = {L"Disabled", AssignKind::Disabled, 0, false};
  p.assignedSlots = {0, 1, 2};
  for (int e = 1; e <= 3; ++e)
    BuildOutputSequence(table.Entry(e), p.records[static_cast<size_t>(e - 1)], 0, table.media, p);
  WriteAllProfiles(io, path, table, set);

  const auto expected = Entries({
      {L"IndexPic27", L"5"},
      {L"MacroIndex27", L"0"},
      {L"SetName27", L"Text: Hi"},
      {L"Text27", L"Hi\\n"},
      {L"Hold27", L"1"},
      {L"IndexPic112", L"6"},
      {L"MacroIndex112", L"0"},
      {L"SetName112", L"Program: app.exe"},
      {L"Program112", L"C:\\app.exe"},
      {L"Args112", L"-x"},
      {L"IndexPic113", L"4"},
      {L"MacroIndex113", L"0"},
      {L"SetName113", L"Disabled"},
      {L"IndexPic0", L"0"},
      {L"MacroIndex0", L"0"},
      {L"SetName0", L""},
      {L"Key0", L"0"},
      {L"MacroStrNum", L"1"},
      {L"MacroName0", L"define0"},
      {L"MacroKey0", L"1966080,65,1,-2145517568,65,0"},
      {L"MacroKeyNum0", L"6"},
      {L"SetIndexNum", L"3"},
      {L"setindex0", L"0"},
      {L"setindex1", L"1"},
      {L"setindex2", L"2"},
  });
  EXPECT_EQ(io.ReadSection(path, L"Profile1"), expected);
  ProfileSet loaded;
  InitKeyMaps(loaded);
  LoadAllProfiles(io, path, table, loaded);
  EXPECT_EQ(loaded.Profile(1).records, p.records);
  EXPECT_EQ(loaded.Profile(1).assignedSlots, p.assignedSlots);
  for (int code : {27, 112, 113}) EXPECT_EQ(loaded.Profile(1).keyMap.at(code), OutputSequence{code}) << code;

  // Back to keys of the older kinds: the values leave the file.
  set.Profile(1) = ExampleProfiles(table).Profile(1);
  WriteAllProfiles(io, path, table, set);
  for (const wchar_t* key : {L"Text27", L"Program112", L"Args112"}) {
    EXPECT_EQ(io.ReadString(path, L"Profile1", key, L"gone"), L"gone") << key;
  }
}

TEST_F(ProfileFileTest, ProfileMouseAndTurboValuesComeLastAndOnlyWhenNotTheDefault) {
  const KeyTable table = testing::MakeKeyTable({{1, 27, L"Esc"}, {2, 112, L"F1"}, {3, 113, L"F2"}});
  ProfileSet set = ExampleProfiles(table);
  ProfileData& p = set.Profile(1);
  p.records[0] = {L"Profile: next", AssignKind::Profile, 0, false};
  p.records[0].profileTarget = ProfileTarget::Next;
  p.records[1] = {L"Mouse: x1", AssignKind::Mouse, 0, false};
  p.records[1].mouse = MouseAction::X1;
  p.records[1].turboMs = 40;
  p.records[2] = {L"Копировать", AssignKind::Function, 0, false};
  p.records[2].turboMs = 1000;
  p.assignedSlots = {0, 1, 2};
  for (int e = 1; e <= 3; ++e)
    BuildOutputSequence(table.Entry(e), p.records[static_cast<size_t>(e - 1)], 0, table.media, p);
  WriteAllProfiles(io, path, table, set);

  const auto expected = Entries({
      {L"IndexPic27", L"7"},
      {L"MacroIndex27", L"0"},
      {L"SetName27", L"Profile: next"},
      {L"Profile27", L"next"},
      {L"IndexPic112", L"8"},
      {L"MacroIndex112", L"0"},
      {L"SetName112", L"Mouse: x1"},
      {L"Mouse112", L"x1"},
      {L"Turbo112", L"40"},
      {L"IndexPic113", L"3"},
      {L"MacroIndex113", L"0"},
      {L"SetName113", L"Копировать"},
      {L"Turbo113", L"1000"},
      {L"IndexPic0", L"0"},
      {L"MacroIndex0", L"0"},
      {L"SetName0", L""},
      {L"Key0", L"0"},
      {L"MacroStrNum", L"1"},
      {L"MacroName0", L"define0"},
      {L"MacroKey0", L"1966080,65,1,-2145517568,65,0"},
      {L"MacroKeyNum0", L"6"},
      {L"SetIndexNum", L"3"},
      {L"setindex0", L"0"},
      {L"setindex1", L"1"},
      {L"setindex2", L"2"},
  });
  EXPECT_EQ(io.ReadSection(path, L"Profile1"), expected);
  ProfileSet loaded;
  InitKeyMaps(loaded);
  LoadAllProfiles(io, path, table, loaded);
  EXPECT_EQ(loaded.Profile(1).records, p.records);
  for (const wchar_t* name : {L"Profile: next", L"Mouse: x1"}) {
    const auto& records = loaded.Profile(1).records;
    EXPECT_TRUE(std::any_of(records.begin(), records.begin() + 2, [&](const KeyAssignment& r) {
      return r.name == name && DisplayNameOf(r) == name;
    })) << "the display name is the record's own";
  }

  // Back to keys of the older kinds: the values leave the file, and it is as it always was.
  set.Profile(1) = ExampleProfiles(table).Profile(1);
  WriteAllProfiles(io, path, table, set);
  for (const wchar_t* key : {L"Profile27", L"Mouse112", L"Turbo112", L"Turbo113"}) {
    EXPECT_EQ(io.ReadString(path, L"Profile1", key, L"gone"), L"gone") << key;
  }
}

// Values this version does not know, or out of their range, leave the key sending itself (turbo:
// off), and are not written back.
TEST_F(ProfileFileTest, ProfileMouseAndTurboValuesThisVersionDoesNotKnowLeaveTheKeyItself) {
  const KeyTable table = testing::MakeKeyTable({{1, 65, L"A"}});
  struct Case {
    const wchar_t* lines;
    ProfileTarget target;
    MouseAction mouse;
    int turboMs;
    bool hold;
  } cases[] = {
      {L"IndexPic65=7\nProfile65=7\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=7\nProfile65=0\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=7\nProfile65=Next\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=7\nProfile65=\"pause\"\n", ProfileTarget::Pause, MouseAction::None, 0, false},
      {L"IndexPic65=7\nMouse65=left\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=8\nMouse65=nose\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=8\nMouse65=\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=8\nMouse65=wheeldown\nProfile65=2\n", ProfileTarget::None, MouseAction::WheelDown, 0, false},
      {L"IndexPic65=0\nKey65=66\nTurbo65=5\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=0\nKey65=66\nTurbo65=19\nHold65=1\n", ProfileTarget::None, MouseAction::None, 0, true},
      {L"IndexPic65=0\nKey65=66\nTurbo65=20\nHold65=1\n", ProfileTarget::None, MouseAction::None, 20, false},
      {L"IndexPic65=0\nKey65=66\nTurbo65=-50\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=0\nKey65=66\nTurbo65=99999999999\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=0\nKey65=66\nTurbo65=fast\n", ProfileTarget::None, MouseAction::None, 0, false},
      {L"IndexPic65=4\nTurbo65=50\n", ProfileTarget::None, MouseAction::None, 0, false},
  };
  for (const Case& c : cases) {
    folder.WriteUtf16(L"set.ini", L"[Profile1]\n" + std::wstring(c.lines));
    ProfileSet set;
    InitKeyMaps(set);
    LoadAllProfiles(io, path, table, set);
    const KeyAssignment& record = set.Profile(1).records[0];
    EXPECT_EQ(record.profileTarget, c.target) << c.lines;
    EXPECT_EQ(record.mouse, c.mouse) << c.lines;
    EXPECT_EQ(record.turboMs, c.turboMs) << c.lines;
    EXPECT_EQ(record.hold, c.hold) << c.lines;
    const bool acts = c.target != ProfileTarget::None || c.mouse != MouseAction::None;
    EXPECT_EQ(HasAction(record), acts || record.kind == AssignKind::Disabled) << c.lines;
    SaveProfile(io, path, 1, table, set);
    EXPECT_EQ(io.ReadString(path, L"Profile1", L"Turbo65", L"none"), c.turboMs ? std::to_wstring(c.turboMs) : L"none")
        << c.lines;
    if (!acts) {
      for (const wchar_t* key : {L"Profile65", L"Mouse65"}) {
        EXPECT_EQ(io.ReadString(path, L"Profile1", key, L"none"), L"none") << c.lines;
      }
    }
  }
}

TEST_F(ProfileFileTest, TextsPathsAndArgumentsSurviveTheFileWhateverTheyHold) {
  const KeyTable table = testing::MakeKeyTable({{1, 112, L"F1"}, {2, 113, L"F2"}});
  const std::wstring longPath = L"C:\\" + std::wstring(3000, L'p');
  struct Case {
    const char* what;
    AssignKind kind;
    std::wstring text, program, args;  // as typed into the dialog
    const wchar_t* stored;             // the line's value (Text or Program), when it matters
    std::wstring loadedText, loadedProgram, loadedArgs;
  } cases[] = {
      {"Cyrillic, punctuation and a line break", AssignKind::Text, L"Привет, world!\n", L"", L"", L"Привет, world!\\n",
       L"Привет, world!\n", L"", L""},
      {"backslashes are doubled, also one at the end", AssignKind::Text, L"C:\\new\\", L"", L"", L"C:\\\\new\\\\", L"C:\\new\\", L"",
       L""},
      {"a backslash and an n are not a line break", AssignKind::Text, L"\\n", L"", L"", L"\\\\n", L"\\n", L"", L""},
      {"blanks at either end are quoted", AssignKind::Text, L"  two  ", L"", L"", L"\"  two  \"", L"  two  ", L"", L""},
      {"quotes at both ends are quoted again", AssignKind::Text, L"\"quoted\"", L"", L"", L"\"\"quoted\"\"", L"\"quoted\"", L"", L""},
      {"a quote at one end", AssignKind::Text, L"it's'", L"", L"", L"\"it's'\"", L"it's'", L"", L""},
      {"a tab", AssignKind::Text, L"a\tb", L"", L"", L"a\\tb", L"a\tb", L"", L""},
      {"characters beyond the Basic Multilingual Plane", AssignKind::Text, L"\U0001F600 ok", L"", L"", nullptr, L"\U0001F600 ok", L"",
       L""},
      {"CR LF and a lone CR become line breaks", AssignKind::Text, L"a\r\nb\rc", L"", L"", L"a\\nb\\nc", L"a\nb\nc", L"", L""},
      {"NUL and other control characters go", AssignKind::Text,
       std::wstring(L"a\0b\x01"
                    L"c\x7F",
                    6),
       L"", L"", L"abc", L"abc", L"", L""},
      {"a long text is cut to its limit", AssignKind::Text, std::wstring(1500, L'я'), L"", L"", nullptr, std::wstring(1000, L'я'), L"",
       L""},
      {"the cut never splits a surrogate pair", AssignKind::Text, std::wstring(999, L'a') + L"\U0001F600", L"", L"", nullptr,
       std::wstring(999, L'a'), L"", L""},
      {"a path with blanks, arguments in quotes", AssignKind::Program, L"", L"C:\\Program Files\\App\\app.exe", L"\"C:\\a b\\f.txt\" -x",
       L"C:\\Program Files\\App\\app.exe", L"", L"C:\\Program Files\\App\\app.exe", L"\"C:\\a b\\f.txt\" -x"},
      {"a path loses blanks at its ends and line breaks", AssignKind::Program, L"", L"  C:\\x\r\n.exe ", L"a\nb", L"C:\\x.exe", L"",
       L"C:\\x.exe", L"ab"},
      {"a web address", AssignKind::Program, L"", L"https://example.org/?a=b", L"", L"https://example.org/?a=b", L"",
       L"https://example.org/?a=b", L""},
      {"long paths and arguments are cut", AssignKind::Program, L"", longPath, std::wstring(3000, L'a'), nullptr, L"",
       longPath.substr(0, kMaxProgramChars), std::wstring(kMaxProgramChars, L'a')},
      {"a program key without a path keeps no arguments", AssignKind::Program, L"", L"", L"-x", nullptr, L"", L"", L""},
      {"a text key without a text", AssignKind::Text, L"", L"", L"", nullptr, L"", L"", L""},
  };
  for (const Case& c : cases) {
    ProfileSet set;
    InitKeyMaps(set);
    // Values are cleaned once, where they enter the program: here as the dialog's OK cleans them.
    set.Profile(1).records[0] = {L"name", c.kind, 0, false, CleanText(c.text), CleanProgramPath(c.program),
                                 CleanProgramArgs(c.args)};
    SaveProfile(io, path, 1, table, set);
    const std::vector<IniEntry> section = io.ReadSection(path, L"Profile1");
    if (c.stored != nullptr) {
      const std::wstring key = c.kind == AssignKind::Text ? L"Text112" : L"Program112";
      const auto line = std::find_if(section.begin(), section.end(), [&](const IniEntry& e) { return e.key == key; });
      ASSERT_NE(line, section.end()) << c.what;
      EXPECT_EQ(line->value, c.stored) << c.what;
    }
    for (const IniEntry& e : section) {
      EXPECT_TRUE(std::none_of(e.value.begin(), e.value.end(), [](wchar_t ch) { return ch < 0x20; })) << c.what;
    }
    ProfileSet loaded;
    InitKeyMaps(loaded);
    LoadProfile(io, path, 1, table, loaded);
    const KeyAssignment& r = loaded.working.records[0];
    EXPECT_EQ(r.kind, c.kind) << c.what;
    EXPECT_TRUE(r.text == c.loadedText) << c.what;
    EXPECT_TRUE(r.program == c.loadedProgram) << c.what;
    EXPECT_TRUE(r.args == c.loadedArgs) << c.what;
    SaveProfile(io, path, 1, table, loaded);
    EXPECT_EQ(io.ReadSection(path, L"Profile1"), section) << c.what << ": written again, the same";
  }
}

TEST_F(ProfileFileTest, SlotsSharingAKeyCodeShareItsHoldAsTheLastOneSays) {
  // Entries 1 and 2 both carry key code 65; the later slot decides the group, hold included.
  const KeyTable table = testing::MakeKeyTable({{1, 65, L"A"}, {2, 65, L"A2"}});
  ProfileSet plain;
  InitKeyMaps(plain);
  SaveProfile(io, path, 1, table, plain);
  const std::vector<IniEntry> unheld = io.ReadSection(path, L"Profile1");
  struct Case {
    bool first, second, held;
  } cases[] = {{true, false, false}, {false, true, true}, {true, true, true}};
  for (const Case& c : cases) {
    ProfileSet set;
    InitKeyMaps(set);
    set.Profile(1).records[0].hold = c.first;
    set.Profile(1).records[1].hold = c.second;
    SaveProfile(io, path, 1, table, set);
    std::vector<IniEntry> section = io.ReadSection(path, L"Profile1");
    const auto hold = std::find(section.begin(), section.end(), IniEntry{L"Hold65", L"1"});
    EXPECT_EQ(hold != section.end(), c.held) << c.first << c.second;
    if (hold != section.end()) section.erase(hold);
    EXPECT_EQ(section, unheld) << c.first << c.second << ": every other key as without hold";

    ProfileSet loaded;
    InitKeyMaps(loaded);
    LoadProfile(io, path, 1, table, loaded);
    EXPECT_EQ(loaded.working.records[0].hold, c.held);
    EXPECT_EQ(loaded.working.records[1].hold, c.held);
  }
}

TEST_F(ProfileFileTest, HandEditedHoldWaitsLoopsAndHoldTimeAreReadSafely) {
  const KeyTable table = testing::MakeKeyTable({{1, 65, L"A"}});
  auto load = [&](const std::wstring& text) {
    folder.WriteUtf16(L"set.ini", text);
    ProfileSet set;
    InitKeyMaps(set);
    LoadAllProfiles(io, path, table, set);
    return set;
  };

  // Any number but 0 holds the key, by the system's integer read.
  const std::pair<const wchar_t*, bool> holds[] = {
      {L"1", true}, {L"0", false}, {L"abc", false}, {L"-3", true}, {L"2", true}, {L"", false}, {L"99999999999", true},
  };
  for (const auto& [value, on] : holds) {
    const ProfileSet set = load(L"[Profile1]\nIndexPic65=0\nKey65=66\nHold65=" + std::wstring(value) + L"\n");
    EXPECT_EQ(set.working.records[0].hold, on) << value;
    EXPECT_EQ(set.working.keyMap.at(65), OutputSequence{66}) << "the target stays whatever the hold";
  }

  // Three whole steps. Waits are cut or padded to them and kept inside 0..kMaxStepDelayMs.
  struct Waits {
    const char* what;
    std::wstring steps;
    int count;
    std::optional<std::wstring> delays;  // none: no MacroDelay0 key
    MacroDelays expected;
  } waits[] = {
      {"as written", L"1,65,1,1,65,0,1,66,1", 9, L"0,15,60000", {0, 15, 60000}},
      {"too short: padded", L"1,65,1,1,65,0,1,66,1", 9, L"5", {5, 0, 0}},
      {"too long: cut", L"1,65,1,1,65,0,1,66,1", 9, L"1,2,3,4,5", {1, 2, 3}},
      {"out of range and garbage", L"1,65,1,1,65,0,1,66,1", 9, L"-5,70000,abc", {0, kMaxStepDelayMs, 0}},
      {"huge, trailing garbage, blanks", L"1,65,1,1,65,0,1,66,1", 9, L"99999999999, 12abc , 7", {60000, 12, 7}},
      {"empty fields", L"1,65,1,1,65,0,1,66,1", 9, L",,", {0, 0, 0}},
      {"quoted", L"1,65,1,1,65,0,1,66,1", 9, L"\"10,20,30\"", {10, 20, 30}},
      {"empty list: untimed", L"1,65,1,1,65,0,1,66,1", 9, L"", {}},
      {"no list: untimed", L"1,65,1,1,65,0,1,66,1", 9, std::nullopt, {}},
      {"no steps: untimed", L"", 0, L"1,2", {}},
      {"an incomplete last triple is no step", L"1,65,1,1,65", 5, L"7,8", {7}},
  };
  for (const Waits& c : waits) {
    std::wstring text = L"[Profile1]\nMacroStrNum=1\nMacroName0=m\nMacroKey0=" + c.steps +
                        L"\nMacroKeyNum0=" + std::to_wstring(c.count) + L"\n";
    if (c.delays) text += L"MacroDelay0=" + *c.delays + L"\n";
    const ProfileSet set = load(text);
    ASSERT_EQ(set.working.macros.list.size(), 1u) << c.what;
    EXPECT_EQ(set.working.macros.list[0].delays, c.expected) << c.what;
  }

  const std::pair<const wchar_t*, int> loops[] = {
      {L"2", 2}, {L"99", 99}, {L"7x", 7}, {L"0", 1},   {L"100", 1},
      {L"-5", 1}, {L"abc", 1}, {L"", 1},  {L"99999999999", 1},
  };
  for (const auto& [value, expected] : loops) {
    const ProfileSet set =
        load(L"[Profile1]\nMacroStrNum=1\nMacroName0=m\nMacroKey0=1,65,1\nMacroKeyNum0=3\nMacroLoop0=" +
             std::wstring(value) + L"\n");
    EXPECT_EQ(testing::MacroLoops(set.working.macros), std::vector<int>{expected}) << value;
  }
  const ProfileSet twoMacros = load(L"[Profile1]\nMacroStrNum=2\nMacroLoop1=4\nMacroDelay1=9\n");
  EXPECT_EQ(testing::MacroLoops(twoMacros.working.macros), (std::vector<int>{1, 4})) << "each macro has its own";
  EXPECT_EQ(testing::MacroWaits(twoMacros.working.macros), (std::vector<MacroDelays>{{}, {}}));

  const std::pair<const wchar_t*, int> holdTimes[] = {
      {L"7", 7}, {L"50", 50}, {L"0", 0}, {L"51", 0}, {L"-1", 0}, {L"abc", 0}, {L"99999999999", 0},
  };
  for (const auto& [value, expected] : holdTimes) {
    const ProfileSet set = load(L"[TYPE]\ntype=2\nTapMs=" + std::wstring(value) + L"\n");
    EXPECT_EQ(set.tapMs, expected) << value;
    EXPECT_EQ(set.activeProfile, 2);
  }
  EXPECT_EQ(load(L"[Profile1]\nIndexPic65=0\n").tapMs, 0) << "a file without it";

  // Only the value the program writes turns running as administrator on.
  const std::pair<const wchar_t*, bool> adminValues[] = {{L"1", true}, {L"0", false}, {L"2", false}, {L"yes", false}};
  for (const auto& [value, expected] : adminValues) {
    EXPECT_EQ(load(L"[TYPE]\ntype=1\nRunAsAdmin=" + std::wstring(value) + L"\n").runAsAdmin, expected) << value;
  }
  EXPECT_FALSE(load(L"[Profile1]\nIndexPic65=0\n").runAsAdmin) << "a file without it";
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

  EXPECT_EQ(testing::MacroNames(p.macros), (std::vector<std::wstring>{L"first", L"second", L""}));
  EXPECT_EQ(p.macros.list[0].steps, (testing::Steps({1, 65, 1, 2, 65, 0})));
  EXPECT_EQ(p.macros.list[1].steps, (testing::Steps({1, 66, 1, 2, 66, 0})));
  EXPECT_TRUE(p.macros.list[2].steps.empty());
  EXPECT_EQ(p.records[0].name, L"padded name");
  EXPECT_EQ(p.records[3].name, L"padded name") << "two slots with one key code share one group";
  EXPECT_EQ(p.keyMap.at(65), (OutputSequence{66}));
  EXPECT_EQ(p.keyMap.at(66), (OutputSequence{66})) << "a dangling macro index leaves the key sending itself";
  EXPECT_EQ(p.macros.indexMap.count(66), 0u);
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
  EXPECT_LE(set.working.macros.list.size(), 7u);
  EXPECT_EQ(set.working.macros.list[0].steps, (testing::Steps({1, 65, 1})));
  EXPECT_EQ(set.working.assignedSlots.front(), 3);
}

TEST_F(ProfileFileTest, LongMacrosSurviveSaveAndLoad) {
  const KeyTable table = testing::MakeFullKeyTable();
  ProfileSet set;
  InitKeyMaps(set);
  MacroSteps steps;
  for (int i = 0; i < 20; ++i) {
    const int key = 65 + i % 26;
    steps.insert(steps.end(), {{1966080 + i * 65536, key, 1}, {static_cast<int>(0xC01E0001u) - i, key, 0}});
  }
  set.working.macros.list = {Macro{L"Двадцать нажатий", steps, {}, 1}};
  set.working.records[0] = {L"Двадцать нажатий", AssignKind::Macro, 0};
  set.working.assignedSlots = {0};
  BuildOutputSequence(table.Entry(1), set.working.records[0], 0, table.media, set.working);
  set.Active() = set.working;
  WriteAllProfiles(io, path, table, set);

  ProfileSet loaded;
  InitKeyMaps(loaded);
  LoadAllProfiles(io, path, table, loaded);
  ASSERT_EQ(loaded.working.macros.list.size(), 1u);
  EXPECT_EQ(loaded.working.macros.list[0].steps, steps);
  EXPECT_EQ(loaded.working.keyMap.at(11).size(), 20u);
  EXPECT_EQ(loaded.working.macros.list[0].name, L"Двадцать нажатий");
}

TEST_F(ProfileFileTest, NamesComeBackAsWrittenBlanksAndQuotesIncluded) {
  const KeyTable table = testing::MakeKeyTable({{1, 112, L"F1"}});
  const std::wstring names[] = {L"plain", L" padded ", L"\"quoted\"", L"'single'", L"tab\t", L"\rreturn", L"Макрос «один»",
                                std::wstring(kMaxNameChars, L'x')};
  for (const std::wstring& name : names) {
    ProfileSet set;
    InitKeyMaps(set);
    ProfileData& p = set.Profile(1);
    p.macros.list = {testing::MacroOf(name, {1, 65, 1})};
    p.records[0] = {name, AssignKind::Macro, 0};
    p.assignedSlots = {0};
    BuildOutputSequence(table.Entry(1), p.records[0], 0, table.media, p);
    WriteAllProfiles(io, path, table, set);
    ProfileSet loaded;
    InitKeyMaps(loaded);
    LoadAllProfiles(io, path, table, loaded);
    EXPECT_EQ(loaded.Profile(1).records[0].name, name) << name.size();
    EXPECT_EQ(loaded.Profile(1).macros.list.at(0).name, name) << name.size();
  }
  EXPECT_EQ(io.ReadString(path, L"Profile1", L"SetName112", L""), std::wstring(kMaxNameChars, L'x'));
  folder.WriteUtf16(L"set.ini", L"[Profile1]\nSetName112=" + std::wstring(kMaxNameChars + 40, L'y') + L"\n");
  ProfileSet longer;
  InitKeyMaps(longer);
  LoadAllProfiles(io, path, table, longer);
  EXPECT_EQ(longer.Profile(1).records[0].name, std::wstring(kMaxNameChars, L'y')) << "a longer hand-written name is cut";
}

TEST_F(ProfileFileTest, AShadowedProgramsSectionNeverComesAliveAtASave) {
  const KeyTable table = testing::MakeKeyTable({{1, 112, L"F1"}});
  const std::wstring second[] = {L"[Programs]\nshadow.exe=3\n", L"[Programs]\n[Programs]\nshadow.exe=3\n"};
  for (const std::wstring& shadows : second) {
    folder.WriteUtf16(L"set.ini", L"[Programs]\ngame.exe=2\n[Profile1]\nIndexPic112=0\nKey112=112\n" + shadows);
    ProfileSet set;
    InitKeyMaps(set);
    LoadAllProfiles(io, path, table, set);
    ASSERT_EQ(set.bindings, (ProgramBindings{{L"game.exe", 2}}));
    for (const bool keepBinding : {true, false}) {
      if (!keepBinding) set.bindings.clear();
      WriteAllProfiles(io, path, table, set);
      ProfileSet again;
      InitKeyMaps(again);
      LoadAllProfiles(io, path, table, again);
      EXPECT_EQ(again.bindings, set.bindings) << "what was in effect before the save is in effect after it";
    }
    EXPECT_TRUE(io.ReadSection(path, L"Programs").empty());
  }
}

TEST_F(ProfileFileTest, AKindThisVersionDoesNotKnowSendsItselfAndSavesBackAsItWas) {
  const KeyTable table = testing::MakeKeyTable({{1, 112, L"F1"}});
  folder.WriteUtf16(L"set.ini", L"[Profile1]\nIndexPic112=9\nMacroIndex112=2\nSetName112=later\nKey112=65\n"
                                L"MacroStrNum=0\nSetIndexNum=1\nsetindex0=0\n");
  ProfileSet set;
  InitKeyMaps(set);
  LoadAllProfiles(io, path, table, set);
  const ProfileData& p = set.Profile(1);
  EXPECT_EQ(p.records[0].kind, KindOfNumber(9));
  EXPECT_TRUE(!p.keyMap.contains(112) || p.keyMap.at(112) == OutputSequence{112}) << "the key sends itself";
  SaveProfile(io, path, 1, table, set);
  EXPECT_EQ(io.ReadString(path, L"Profile1", L"IndexPic112", L""), L"9");
  EXPECT_EQ(io.ReadString(path, L"Profile1", L"MacroIndex112", L""), L"2");
  EXPECT_EQ(io.ReadString(path, L"Profile1", L"SetName112", L""), L"later");
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
  std::wstring delays;  // the wait before step i is i milliseconds
  for (int i = 0; i < kMaxMacroSteps + 5; ++i) delays += (i == 0 ? L"" : L",") + std::to_wstring(i);
  for (const int stored : {3 * (kMaxMacroSteps + 5), 3 * kMaxMacroSteps + 1, 3 * kMaxMacroSteps - 1}) {
    folder.WriteUtf16(L"set.ini", L"[Profile1]\nMacroStrNum=1\nMacroName0=long\nMacroKey0=" + steps +
                                      L"\nMacroKeyNum0=" + std::to_wstring(stored) + L"\nMacroDelay0=" + delays +
                                      L"\n");
    ProfileSet set;
    InitKeyMaps(set);
    LoadAllProfiles(io, path, table, set);
    ASSERT_EQ(set.working.macros.list.size(), 1u);
    const size_t wholeSteps = std::min<size_t>(stored / 3, kMaxMacroSteps);
    EXPECT_EQ(set.working.macros.list[0].steps.size(), wholeSteps) << stored << ": numbers that make no step are none";
    EXPECT_EQ(set.working.macros.list[0].steps.back(), (MacroStep{7, 66, 1})) << stored;
    ASSERT_EQ(set.working.macros.list[0].delays.size(), wholeSteps) << stored << ": the waits of the steps kept";
    EXPECT_EQ(set.working.macros.list[0].delays.back(), static_cast<int>(wholeSteps) - 1) << stored;
  }
}

}  // namespace
}  // namespace orvelle

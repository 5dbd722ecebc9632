// Field parsing, the layout file, the command and media tables and output sequences.
#include <gtest/gtest.h>

#include <cwchar>
#include <utility>

#include "model/key_table.h"
#include "model/profile_data.h"
#include "model/program_start.h"
#include "base/text.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

TEST(LayoutFields, CutAtCommasWithoutTrimming) {
  struct Case {
    std::wstring list;
    int index;
    std::wstring field;
  } cases[] = {
      {L"1,2,3", 0, L"1"},     {L"1,2,3", 2, L"3"},       {L"1,2,3", 3, L""},
      {L"1, 2 ,3", 1, L" 2 "}, {L",,x", 2, L"x"},         {L"", 0, L""},
      {L"a,b", -1, L""},       {L"x,y,w,h,27,Esc,extra", 5, L"Esc"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractField(c.list, c.index), c.field) << c.index;
}

TEST(LayoutFields, NumbersParseLikeTheRuntime) {
  struct Case {
    std::wstring text;
    int value;
  } cases[] = {
      {L"42", 42},          {L"  -17", -17},     {L"+8", 8},          {L"12abc", 12},
      {L"abc", 0},          {L"", 0},            {L" ", 0},           {L"- 5", 0},
      {L"99999999999", INT32_MAX},               {L"-99999999999", INT32_MIN},
      {L"\t7", 7},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInt(c.text), c.value) << std::string(c.text.begin(), c.text.end());
}

TEST(Layout, ReadsKeySlotsButtonsAndMediaNames) {
  testing::TempFolder folder;
  std::wstring ini = L"[BUTTONINFO]\n";
  ini += L"1=10,20,30,40,27,Esc\n";
  ini += L"2=5,6\n";                        // missing numbers are 0, the name empty
  ini += L"3=1,2,3,4,65,A,ignored,fields\n";
  ini += L"104=0,0,5,5,179,Воспр./Пауза\n";  // entry 104 is also a media entry
  ini += L"105=0,0,5,5,200,Воспр./Пауза\n";  // a repeated name: the lower entry wins
  ini += L"106=0,0,5,5,166,WWW Назад\n";
  ini += L"107=0,0,5,5,12\n";                // an empty name is a name too
  ini += L"122=100,200,50,20,Close\n";
  ini += L"128=1,1,1,1,Profile1,extra\n";
  ini += L"131=-5,-5,10,10\n";
  const std::wstring path = folder.WriteUtf16(L"Main.ini", ini);

  PortableIni io;
  KeyTable table;
  table.slots[119].name = L"stale";
  LoadLayout(io, path, table);

  EXPECT_EQ(table.Entry(1).keyCode, 27);
  EXPECT_EQ(table.Entry(1).name, L"Esc");
  EXPECT_EQ(table.HitRect(1).right, 40);
  EXPECT_EQ(table.HitRect(1).bottom, 60);
  EXPECT_EQ(table.Entry(2).area.left, 5);
  EXPECT_EQ(table.Entry(2).area.Width(), 0);
  EXPECT_EQ(table.Entry(2).name, L"");
  EXPECT_EQ(table.Entry(3).name, L"A");
  EXPECT_EQ(table.Entry(120).name, L"") << "entries missing from the file are reset";
  EXPECT_EQ(table.Entry(122).name, L"Close");
  EXPECT_EQ(table.Entry(122).keyCode, 0);
  EXPECT_EQ(table.Entry(128).name, L"Profile1");
  EXPECT_TRUE(table.HitRect(131).Contains({-5, -5}));

  EXPECT_EQ(FindMedia(table.media, L"Воспр./Пауза"), 179);
  EXPECT_EQ(FindMedia(table.media, L"WWW Назад"), 166);
  EXPECT_EQ(FindMedia(table.media, L""), 12);
  EXPECT_FALSE(FindMedia(table.media, L"Esc"));
}

TEST(Layout, LongValuesAreCutBeforeSplittingAndHugeNumbersAreSafe) {
  testing::TempFolder folder;
  const std::wstring longName(300, L'x');
  const std::wstring path = folder.WriteUtf16(
      L"Main.ini", L"[BUTTONINFO]\n1=0,0,10,10,65," + longName + L"\n2=2147483647,2147483647,100,100,66,Far\n");
  PortableIni io;
  KeyTable table;
  LoadLayout(io, path, table);
  EXPECT_EQ(table.Entry(1).name.size(), 259u - 13u);  // "0,0,10,10,65," is 13 characters
  EXPECT_FALSE(table.HitRect(2).Contains({0, 0}));
  EXPECT_EQ(table.HitRect(2).right, INT32_MAX);

  // Every sum and difference of a hand-edited rectangle saturates (a signed overflow is
  // undefined, and a wrapped width draws a huge or negative area).
  struct Case {
    int x, y, width, height;
    Rect rect;
    int rectWidth, rectHeight;
  } cases[] = {
      {INT32_MAX, INT32_MIN, 10, -10, {INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN}, 0, 0},
      {INT32_MIN, INT32_MIN, INT32_MAX, -1, {INT32_MIN, INT32_MIN, -1, INT32_MIN}, INT32_MAX, 0},
      {-2000000000, 0, 2000000000, 0, {-2000000000, 0, 0, 0}, 2000000000, 0},
  };
  for (const Case& c : cases) {
    const Rect r = Rect::FromOriginAndSize(c.x, c.y, c.width, c.height);
    EXPECT_EQ(r, c.rect) << c.x << "," << c.y;
    EXPECT_EQ(r.Width(), c.rectWidth) << c.x;
    EXPECT_EQ(r.Height(), c.rectHeight) << c.y;
  }
  EXPECT_EQ((Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}).Width(), INT32_MAX);
}

TEST(Layout, MissingFileGivesEmptyEntriesThatAreNeverHit) {
  PortableIni io;
  KeyTable table;
  LoadLayout(io, L"/nonexistent/Main.ini", table);
  for (int entry = 1; entry <= kEntryCount; ++entry) {
    EXPECT_FALSE(table.HitRect(entry).Contains({0, 0}));
  }
  EXPECT_EQ(table.media.size(), 1u);  // the empty name of entries 104..121
}

TEST(Commands, FindIgnoresTrailingBlanksButNotCase) {
  EXPECT_EQ(FindCommand(L"Копировать"), 4);
  EXPECT_EQ(FindCommand(L"Развернуть"), 12) << "the file gives names back without trailing blanks";
  EXPECT_EQ(FindCommand(L"Развернуть "), 12);
  EXPECT_EQ(FindCommand(L"Свернуть  "), 11);
  EXPECT_FALSE(FindCommand(L"копировать"));
  EXPECT_FALSE(FindCommand(L""));
  EXPECT_EQ(CommandSequence(9), (OutputSequence{17, 107}));
  EXPECT_EQ(CommandSequence(11), (OutputSequence{18, 32, 78}));
  EXPECT_EQ(CommandSequence(13), OutputSequence{});
  EXPECT_EQ(kCommandTable[12].displayName, L"Развернуть ");
}

TEST(OutputSequences, BuiltPerKindFromTheAssignment) {
  KeyTable table = testing::MakeKeyTable({{1, 112, L"F1"}, {104, 179, L"Воспр./Пауза"}});
  table.media.emplace(L"Воспр./Пауза", 179);
  table.media.emplace(L"Сломанное", 300);
  const KeySlot& f1 = table.Entry(1);

  // Whatever does not resolve leaves the key sending itself (112), never nothing or code 0.
  struct Case {
    const char* what;
    KeyAssignment assignment;
    int target;
    bool hasEntry;
    OutputSequence expected;
    bool playsMacro;
  } cases[] = {
      {"single key", {L"A", AssignKind::SingleKey, 0}, 65, true, {65}, false},
      {"single key with target 0", {L"A", AssignKind::SingleKey, 0}, 0, true, {112}, false},
      {"single key with target 255", {L"A", AssignKind::SingleKey, 0}, 255, true, {112}, false},
      {"single key with a negative target", {L"A", AssignKind::SingleKey, 0}, -65, true, {112}, false},
      {"macro 0: down steps only", {L"m", AssignKind::Macro, 0}, 0, true, {65, 66}, true},
      {"macro of up steps only", {L"up", AssignKind::Macro, 1}, 0, true, {112}, true},
      {"macro whose down steps hold no real key", {L"bad", AssignKind::Macro, 3}, 0, true, {112}, true},
      {"macro keeps its real keys only", {L"mixed", AssignKind::Macro, 4}, 0, true, {70}, true},
      {"macro index past the table", {L"gone", AssignKind::Macro, 7}, 0, true, {112}, false},
      {"negative macro index", {L"gone", AssignKind::Macro, -1}, 0, true, {112}, false},
      {"incomplete last triple", {L"cut", AssignKind::Macro, 2}, 0, true, {67}, true},
      {"media by name", {L"Воспр./Пауза", AssignKind::Media, 0}, 0, true, {179}, false},
      {"media whose layout code is no key", {L"Сломанное", AssignKind::Media, 0}, 0, true, {112}, false},
      {"unknown media", {L"Nope", AssignKind::Media, 0}, 0, true, {112}, false},
      {"function", {L"Копировать", AssignKind::Function, 0}, 0, true, {17, 67}, false},
      {"unknown function", {L"Copy", AssignKind::Function, 0}, 0, true, {112}, false},
      {"disabled: the engine acts on the record", {L"Disabled", AssignKind::Disabled, 0}, 65, true, {112}, false},
      {"text: the engine acts on the record", {L"Text: a", AssignKind::Text, 0, false, L"a"}, 65, true, {112}, false},
      {"program: the engine acts on the record", {L"Program: a", AssignKind::Program, 0, false, L"", L"a"}, 65, true, {112}, false},
      {"kind outside 0..6 passes the key", {L"?", KindOfNumber(9), 0}, 0, false, {}, false},
  };
  for (const Case& c : cases) {
    ProfileData data;
    data.macros.list = {testing::MacroOf(L"", {1, 65, 1, 2, 66, 1, 3, 66, 0, 4, 65, 0}),
                        testing::MacroOf(L"", {9, 65, 0, 9, 66, 0}), testing::MacroOf(L"", {1, 67, 1, 1, 68}),
                        testing::MacroOf(L"", {1, 0, 1, 1, 255, 1}), testing::MacroOf(L"", {1, 0, 1, 1, 70, 1, 1, -3, 1})};
    BuildOutputSequence(f1, c.assignment, c.target, table.media, data);
    const auto it = data.keyMap.find(112);
    ASSERT_EQ(it != data.keyMap.end(), c.hasEntry) << c.what;
    if (c.hasEntry) {
      EXPECT_EQ(it->second, c.expected) << c.what;
    }
    EXPECT_EQ(data.macros.indexMap.count(112), c.playsMacro ? 1u : 0u) << c.what;
  }

  // A slot without a real key code gets no entry at all.
  ProfileData data;
  BuildOutputSequence(table.Entry(2), KeyAssignment{L"", AssignKind::SingleKey, 0}, 65, table.media, data);
  EXPECT_TRUE(data.keyMap.empty());
}

TEST(ActionKinds, DisplayNamesSayWhatTheKeyDoesOnOneLine) {
  struct Case {
    const char* what;
    KeyAssignment assignment;
    std::wstring name;
  } cases[] = {
      {"disabled", {L"", AssignKind::Disabled, 0}, L"Disabled"},
      {"a text: its start", {L"", AssignKind::Text, 0, false, L"Привет, world!\n"}, L"Text: Привет, wor…"},
      {"a short text whole, line breaks and tabs as blanks, none at the end",
       {L"", AssignKind::Text, 0, false, L"a\tb\nc \n"},
       L"Text: a b c"},
      {"eleven characters need no ellipsis", {L"", AssignKind::Text, 0, false, L"abcdefghijk"}, L"Text: abcdefghijk"},
      {"a surrogate pair is not split", {L"", AssignKind::Text, 0, false, L"abcdefghij\U0001F600"}, L"Text: abcdefghij…"},
      {"a program: its file name",
       {L"", AssignKind::Program, 0, false, L"", L"C:\\Windows\\notepad.exe", L"a.txt"},
       L"Program: notepad.exe"},
      {"a folder: its own name", {L"", AssignKind::Program, 0, false, L"", L"D:/Games/"}, L"Program: Games"},
      {"a bare name", {L"", AssignKind::Program, 0, false, L"", L"calc"}, L"Program: calc"},
      {"a path pasted in quotes", {L"", AssignKind::Program, 0, false, L"", L"\"C:\\Program Files\\App\\app.exe\""}, L"Program: app.exe"},
      {"the older kinds take their names from the dialog", {L"A", AssignKind::SingleKey, 0}, L""},
  };
  for (const Case& c : cases) EXPECT_TRUE(DisplayNameOf(c.assignment) == c.name) << c.what;
}

TEST(ProgramStarts, WhatTheProfileSaysAtTheMomentTheMainWindowGetsTheRequest) {
  // Entries 1 and 2 share key code 112 (the later decides); entry 3 is 113.
  const KeyTable table = testing::MakeKeyTable({{1, 112, L"F1"}, {2, 112, L"F1b"}, {3, 113, L"F2"}});
  ProfileSet set;
  InitKeyMaps(set);
  auto program = [](std::wstring path, std::wstring args = L"") {
    return KeyAssignment{L"Program", AssignKind::Program, 0, false, L"", std::move(path), std::move(args)};
  };
  set.Profile(2).records[1] = program(L"C:\\Tools\\a.exe", L"-x");
  set.Profile(2).records[0] = program(L"D:\\never.exe");  // hidden by entry 2
  set.Profile(2).records[2] = KeyAssignment{L"Text", AssignKind::Text, 0, false, L"hi"};
  set.Profile(1).records[2] = program(L"\\\\server\\share\\b.cmd");
  set.Profile(3).records[2] = program(L"https://example.org/x");
  set.Profile(3).records[1] = program(L"notepad");
  set.Profile(3).records[0] = program(L"");

  struct Case {
    int profile, code;
    std::optional<ProgramStart> start;
  } cases[] = {
      {2, 112, ProgramStart{L"C:\\Tools\\a.exe", L"-x", L"C:\\Tools\\"}},
      {1, 113, ProgramStart{L"\\\\server\\share\\b.cmd", L"", L"\\\\server\\share\\"}},
      {3, 113, ProgramStart{L"https://example.org/x", L"", L""}},  // no folder for an address
      {3, 112, ProgramStart{L"notepad", L"", L""}},
      {2, 113, std::nullopt},  // a text key now
      {1, 112, std::nullopt},  // a single key
      {0, 112, std::nullopt},
      {4, 112, std::nullopt},
      {2, 300, std::nullopt},
  };
  const ExpandVariables asWritten = [](const std::wstring& text) { return text; };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgramToStart(set, table, c.profile, c.code, asWritten), c.start) << c.profile << c.code;
  }
  set.Profile(3).records[1].program = L"\"\"";
  EXPECT_EQ(ProgramToStart(set, table, 3, 112, asWritten), std::nullopt) << "a pair of quotes around nothing";
  set.Profile(3).records[1].program.clear();
  EXPECT_EQ(ProgramToStart(set, table, 3, 112, asWritten), std::nullopt)
      << "a program key without a path starts nothing";
}

TEST(ProgramStarts, APastedOrVariablePathIsUnquotedAndExpandedBeforeItsFolderIsChosen) {
  // An environment of two variables; one that is not set stays as written, as the system does.
  const ExpandVariables expand = [](const std::wstring& text) {
    std::wstring out = text;
    for (const auto& [name, value] : {std::pair{L"%WINDIR%", L"C:\\Windows"}, {L"%TOOLS%", L"D:\\My Tools"}}) {
      for (size_t at = out.find(name); at != std::wstring::npos; at = out.find(name, at))
        out.replace(at, wcslen(name), value);
    }
    return out;
  };
  struct Case {
    const wchar_t* stored;
    ProgramStart start;
  } cases[] = {
      {L"\"C:\\Program Files\\App\\app.exe\"",
       {L"C:\\Program Files\\App\\app.exe", L"-a", L"C:\\Program Files\\App\\"}},
      {L"%WINDIR%\\notepad.exe", {L"C:\\Windows\\notepad.exe", L"-a", L"C:\\Windows\\"}},
      {L"\"%TOOLS%\\run.cmd\"", {L"D:\\My Tools\\run.cmd", L"-a", L"D:\\My Tools\\"}},
      {L" \" D:\\Games\\ \" ", {L"D:\\Games\\", L"-a", L"D:\\Games\\"}},  // blanks inside and out
      {L"%UNSET%\\x.exe", {L"%UNSET%\\x.exe", L"-a", L""}},               // no full path: the shell's search decides
      {L"\"notepad\"", {L"notepad", L"-a", L""}},
      {L"\"C:\\a.exe", {L"\"C:\\a.exe", L"-a", L""}},              // no pair of quotes: left to fail as typed
      {L"C:\\a \"b\".exe", {L"C:\\a \"b\".exe", L"-a", L"C:\\"}},  // quotes inside are the path's
  };
  for (const Case& c : cases) EXPECT_EQ(StartFor(c.stored, L"-a", expand), c.start) << c.stored;
  EXPECT_EQ(StartFor(L"%TOOLS%\\a.exe", L"%TOOLS% \"x\"", expand).parameters, L"%TOOLS% \"x\"")
      << "the arguments go as typed";
}

TEST(OutputSequences, KeepOnlyRealKeysOrFallBackToTheKeyItself) {
  struct Case {
    int keyCode;
    OutputSequence sequence, expected;
  } cases[] = {
      {65, {17, 67}, {17, 67}}, {65, {}, {65}},      {65, {0}, {65}},        {65, {0, 66, 255}, {66}},
      {65, {1, 254}, {1, 254}}, {65, {-1, 300}, {65}}, {0, {}, {}},          {0, {66}, {66}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SequenceOrIdentity(c.keyCode, c.sequence), c.expected) << c.keyCode << " " << c.sequence.size();
  }
}

TEST(HeldKeys, ByKeyCodeWithTheLastSlotOfACodeDeciding) {
  // Entries 1 and 3 share key code 65; entry 4 has no real key; entry 122 is a screen button.
  const KeyTable table = testing::MakeKeyTable({{1, 65, L"A"}, {2, 66, L"B"}, {3, 65, L"A2"}, {4, 300, L"X"}});
  struct Case {
    const char* what;
    std::vector<int> heldEntries;
    std::vector<int> heldCodes;
  } cases[] = {
      {"nothing held", {}, {}},
      {"one key", {2}, {66}},
      {"the later slot of a shared code decides", {1}, {}},
      {"... either way", {3}, {65}},
      {"no real key, no screen button", {4, 122}, {}},
  };
  for (const Case& c : cases) {
    ProfileData data;
    for (int entry : c.heldEntries) data.records[static_cast<size_t>(entry - 1)].hold = true;
    std::bitset<kMaxKeyCode + 1> expected;
    for (int code : c.heldCodes) expected[static_cast<size_t>(code)] = true;
    EXPECT_EQ(HeldKeyCodes(data, table), expected) << c.what;
  }
}

TEST(ProfileSetTest, InitialStateIsIdentityEverywhere) {
  ProfileSet set;
  InitKeyMaps(set);
  for (const ProfileData* data : {&set.working, &set.profiles[0], &set.profiles[1], &set.profiles[2]}) {
    ASSERT_EQ(data->keyMap.size(), 254u);
    EXPECT_EQ(data->keyMap.at(1), OutputSequence{1});
    EXPECT_EQ(data->keyMap.at(254), OutputSequence{254});
    EXPECT_TRUE(data->assignedSlots.empty());
    EXPECT_EQ(data->records[0], KeyAssignment{});
  }
}

}  // namespace
}  // namespace orvelle

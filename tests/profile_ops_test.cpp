// Applying, switching, resetting, exporting and importing profiles, and folding the assignment
// dialog's edits back into the working copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "model/profile_file.h"
#include "model/profile_ops.h"
#include "model/program_start.h"
#include "model/working_edits.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/text_codec.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

using testing::ScriptedUi;

class ProfileOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitKeyMaps(set);
    // Distinct content per profile: profile n maps key 11 (entry 1) to 64 + n.
    for (int n = 1; n <= 3; ++n) {
      set.Profile(n).keyMap[11] = {64 + n};
      set.Profile(n).records[0] = {L"P" + std::to_wstring(n), AssignKind::SingleKey, 0};
      set.Profile(n).assignedSlots = {0};
    }
    set.activeProfile = 1;
    set.working = set.Profile(1);
  }

  // An unapplied edit of the working copy.
  void Edit() {
    set.working.keyMap[12] = {99};
    set.pending = true;
  }

  KeyTable table = testing::MakeFullKeyTable();
  ProfileSet set;
  ScriptedUi ui;
};

TEST_F(ProfileOpsTest, ApplyCopiesTheWorkingCopyIntoTheActiveProfile) {
  set.activeProfile = 2;
  Edit();
  ApplyWorkingCopy(set);
  EXPECT_EQ(set.Profile(2), set.working);
  EXPECT_EQ(set.Profile(1).keyMap.at(12), OutputSequence{12});
  EXPECT_FALSE(set.pending);
}

TEST_F(ProfileOpsTest, SwitchAsksOnlyForUnappliedEditsAndKeepsThemOnOk) {
  struct Case {
    const char* what;
    bool pending;
    int target;
    std::deque<bool> answers;
    bool asks;
    bool leftKeepsEdit;  // profile 1 afterwards holds the edit
    bool pendingAfter;
  } cases[] = {
      {"pending, OK keeps the edits with the profile left", true, 2, {true}, true, true, false},
      {"pending, Cancel drops them but still switches", true, 3, {false}, true, false, false},
      {"nothing pending never asks", false, 2, {}, false, false, false},
      {"same profile with edits: no question, edits lost, flag kept", true, 1, {}, false, false, true},
  };
  for (const Case& c : cases) {
    SetUp();
    ui = ScriptedUi{};
    ui.answers = c.answers;
    if (c.pending) Edit();
    SwitchProfile(set, c.target, ui);
    EXPECT_EQ(ui.questions.size(), c.asks ? 1u : 0u) << c.what;
    if (c.asks) {
      EXPECT_EQ(ui.questions[0], L"Выполнить сброс до настроек по ?");
    }
    EXPECT_EQ(set.activeProfile, c.target) << c.what;
    EXPECT_EQ(set.working, set.Profile(c.target)) << c.what;
    EXPECT_EQ(set.Profile(1).keyMap.at(12), c.leftKeepsEdit ? OutputSequence{99} : OutputSequence{12}) << c.what;
    EXPECT_EQ(set.pending, c.pendingAfter) << c.what;
    EXPECT_EQ(ui.repaints, 1) << c.what;
  }
}

TEST_F(ProfileOpsTest, SwitchToTheSameProfileThenAnotherAsksAndKeepsTheAppliedData) {
  Edit();
  SwitchProfile(set, 1, ui);
  ui.answers = {true};
  SwitchProfile(set, 2, ui);
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(set.Profile(1).keyMap.at(12), OutputSequence{12});
  EXPECT_EQ(set.Profile(1).keyMap.at(11), OutputSequence{65});
}

TEST_F(ProfileOpsTest, ResetRestoresDefaultsOfTheActiveProfileOnlyAfterOk) {
  set.activeProfile = 2;
  set.working = set.Profile(2);
  set.working.macros.list = {Macro{L"m", testing::Steps({1, 65, 1}), {40}, 5}};
  set.working.macros.indexMap = {{11, 0}};
  set.working.records[0].hold = true;
  set.working.keyMap[300] = {5};  // a code outside 1..254 stays as it is

  ResetToDefaults(set, table, ui);  // Cancel
  EXPECT_EQ(set.working.macros.list.size(), 1u);
  EXPECT_EQ(ui.repaints, 0);

  ui.answers = {true};
  ResetToDefaults(set, table, ui);
  EXPECT_EQ(ui.questions.back(), L"Выполнить сброс до настроек по умолчанию?");
  EXPECT_EQ(set.working.keyMap.at(11), OutputSequence{11});
  EXPECT_EQ(set.working.keyMap.at(300), OutputSequence{5});
  EXPECT_TRUE(set.working.assignedSlots.empty());
  EXPECT_TRUE(set.working.macros.list.empty());
  EXPECT_TRUE(set.working.macros.indexMap.empty());
  EXPECT_EQ(set.working.records[0], (KeyAssignment{L"K1", AssignKind::SingleKey, 0, false}));
  EXPECT_EQ(set.working.records[130], (KeyAssignment{L"K131", AssignKind::SingleKey, 0}));
  EXPECT_EQ(set.Profile(2), set.working);
  EXPECT_EQ(set.Profile(1).keyMap.at(11), OutputSequence{65});
  EXPECT_FALSE(set.pending);
  EXPECT_EQ(ui.repaints, 1);
}

// Exported and imported files in memory; the profile file's own saving is tested elsewhere.
class ProfileFileExchangeTest : public ProfileOpsTest {
 protected:
  bool Export(const std::wstring& file) {
    ui.exportFile = file;
    return ExportProfile(files, DecodeLatin1, table, set, ui);
  }
  bool Import(const std::wstring& file) {
    ui.importFile = file;
    return ImportProfile(files, DecodeLatin1, table, set, ui, [](const std::wstring& text) {
      std::wstring expanded = text;
      if (const size_t at = expanded.find(L"%TOOLS%"); at != std::wstring::npos) expanded.replace(at, 7, L"D:\\My Tools");
      return expanded;
    });
  }

  MemoryFileStore files;
  PortableIni reader{files};
};

TEST_F(ProfileFileExchangeTest, ExportWritesTheAppliedProfileAndImportReplacesTheActiveOne) {
  const std::wstring file = L"C:\\Users\\me\\exported.ini";
  files.Put(file, "[Keep]\r\nme=1\r\n");  // plain ASCII, as another tool may leave it

  set.activeProfile = 2;
  set.working = set.Profile(2);
  Edit();  // not applied: not exported
  ASSERT_TRUE(Export(file));
  EXPECT_EQ(files.Find(file)->substr(0, 2), "\xFF\xFE") << "written as UTF-16LE with a byte-order mark";
  EXPECT_EQ(reader.ReadInt(file, L"TYPE", L"type", 0), 2);
  EXPECT_EQ(reader.ReadInt(file, L"Profile2", L"Key11", 0), 66);
  EXPECT_EQ(reader.ReadInt(file, L"Profile2", L"Key12", 0), 12);
  EXPECT_EQ(reader.ReadInt(file, L"Keep", L"me", 0), 1);
  EXPECT_EQ(files.Paths(), std::vector<std::wstring>{file}) << "no scratch or backup left beside it";

  // Imported while profile 1 is active: profile 1 takes the file's "Profile2", profile 2 stays.
  SwitchProfile(set, 1, ui);
  set.Profile(2).keyMap[11] = {70};
  const bool pendingBefore = set.pending;
  const int repaintsBefore = ui.repaints;
  EXPECT_TRUE(Import(file));
  EXPECT_EQ(set.Profile(1).keyMap.at(11), OutputSequence{66});
  EXPECT_EQ(set.working, set.Profile(1));
  EXPECT_EQ(set.Profile(2).keyMap.at(11), OutputSequence{70});
  EXPECT_EQ(set.pending, pendingBefore);
  EXPECT_EQ(ui.repaints, repaintsBefore);
  EXPECT_FALSE(Import(file)) << "the same data again change nothing";

  // Cancelled dialogs change nothing and tell nothing.
  const ProfileSet before = set;
  const std::vector<std::wstring> toldBefore = ui.told;
  ui.exportFile.reset();
  ui.importFile.reset();
  EXPECT_FALSE(ExportProfile(files, DecodeLatin1, table, set, ui));
  EXPECT_FALSE(ImportProfile(files, DecodeLatin1, table, set, ui, [](const std::wstring& t) { return t; }));
  EXPECT_EQ(set.working, before.working);
  EXPECT_EQ(ui.told, toldBefore);
}

TEST_F(ProfileFileExchangeTest, ExportOffersTheActiveProfilesNameAndConfirmsTheFileItWrote) {
  for (int profile = 1; profile <= 3; ++profile) {
    SetUp();
    ui = ScriptedUi{};
    SwitchProfile(set, profile, ui);
    const std::wstring file = L"C:\\Users\\me\\Documents\\ORVELLE профиль " + std::to_wstring(profile) + L".ini";
    ASSERT_TRUE(Export(file));
    EXPECT_EQ(ui.suggestedExportNames, std::vector<std::wstring>{L"ORVELLE профиль " + std::to_wstring(profile) + L".ini"});
    EXPECT_EQ(ui.told, std::vector<std::wstring>{L"Профиль " + std::to_wstring(profile) + L" сохранён в файл\n" + file})
        << "the confirmation names the whole path";
    EXPECT_EQ(ui.toldKinds, std::vector<MessageKind>{MessageKind::Information});
  }
}

// What the profile file and an exported file hold of a profile's assignments.
void ExpectSameAssignments(const ProfileData& got, const ProfileData& want, const char* what) {
  EXPECT_TRUE(std::equal(want.records.begin(), want.records.begin() + kKeySlotCount, got.records.begin())) << what;
  EXPECT_EQ(got.assignedSlots, want.assignedSlots) << what;
  EXPECT_EQ(got.macros.list, want.macros.list) << what;
  EXPECT_EQ(got.macros.indexMap, want.macros.indexMap) << what;
}

TEST_F(ProfileFileExchangeTest, HoldWaitsAndLoopsTravelEverywhereButTheHoldTimeStaysHome) {
  // Profile 2: a held single key, a held macro key, a held function key; a timed macro played 99
  // times, an untimed one played twice, a timed one of zero waits played once.
  ProfileData& p = set.Profile(2);
  p.macros.list = {Macro{L"timed", testing::Steps({1, 65, 1, 1, 65, 0, 1, 66, 1}), {0, 250, kMaxStepDelayMs}, kMaxMacroLoops},
                   Macro{L"twice", testing::Steps({1, 67, 1}), {}, 2},
                   Macro{L"zeros", testing::Steps({1, 68, 1, 1, 68, 0}), {0, 0}, 1}};
  p.records[0] = {L"A", AssignKind::SingleKey, 0, true};
  p.keyMap[11] = {65};
  p.records[1] = {L"timed", AssignKind::Macro, 0, true};
  p.records[2] = {L"Копировать", AssignKind::Function, 0, true};
  p.records[3] = {L"twice", AssignKind::Macro, 1, false};
  p.assignedSlots = {0, 1, 2, 3};
  for (int entry = 2; entry <= 4; ++entry) {
    BuildOutputSequence(table.Entry(entry), p.records[static_cast<size_t>(entry - 1)], 0, table.media, p);
  }
  set.activeProfile = 2;
  set.working = p;
  set.tapMs = 25;

  WriteAllProfiles(reader, L"set.ini", table, set);
  ProfileSet loaded;
  InitKeyMaps(loaded);
  LoadAllProfiles(reader, L"set.ini", table, loaded);
  ExpectSameAssignments(loaded.Profile(2), p, "saved and loaded");
  EXPECT_EQ(loaded.tapMs, 25);

  const std::wstring file = L"exported.ini";
  ASSERT_TRUE(Export(file));
  EXPECT_EQ(reader.ReadInt(file, L"Profile2", L"Hold12", 0), 1);
  EXPECT_EQ(reader.ReadString(file, L"TYPE", L"TapMs", L"none"), L"none") << "a setting of the program";

  SwitchProfile(set, 1, ui);
  set.tapMs = 7;
  ui.answers = {true};  // keep the macro keys
  EXPECT_TRUE(Import(file));
  ExpectSameAssignments(set.Profile(1), p, "exported and imported");
  EXPECT_EQ(set.working, set.Profile(1));
  EXPECT_EQ(set.tapMs, 7);
}

TEST_F(ProfileFileExchangeTest, ImportReadsTheProfileTypeNamesAndKeysAbsentFromTheFileKeepWorking) {
  struct Case {
    const char* what;
    std::wstring type;  // the "[TYPE]" section, if any
    int expected;       // key 11 maps to 70 + the section read
  } cases[] = {
      {"no TYPE: profile 1", L"", 71},
      {"type=3", L"[TYPE]\ntype=3\n", 73},
      {"type outside 1..3: profile 1", L"[TYPE]\ntype=9\n", 71},
  };
  for (const Case& c : cases) {
    SetUp();
    std::wstring text = c.type;
    for (int n = 1; n <= 3; ++n) {
      text += L"[Profile" + std::to_wstring(n) + L"]\nIndexPic11=0\nKey11=" + std::to_wstring(70 + n) + L"\n";
    }
    files.Put(L"partial.ini", testing::Utf16File(text));
    EXPECT_TRUE(Import(L"partial.ini")) << c.what;
    EXPECT_EQ(set.Active().keyMap.at(11), OutputSequence{c.expected}) << c.what;
    EXPECT_EQ(set.Active().keyMap.at(12), OutputSequence{12}) << c.what << ": a key the file does not hold";
  }
}

TEST_F(ProfileFileExchangeTest, ImportAsksOnceBeforeKeepingKeysThatPlayTypeOrStartAnything) {
  // Keys 11 and 12 start the same program, 13 a bare name, 14 types, 15 has no program at all, 16
  // plays a macro, 17 names its program through a variable, 18 hides its file behind a long folder
  // and its arguments behind blanks; 19 only sends another key.
  const std::wstring longFolder = L"C:\\" + std::wstring(80, L'p') + L"\\";
  const std::wstring programs =
      L"[Profile1]\n"
      L"IndexPic11=6\nSetName11=Program: tool.exe\nProgram11=C:\\x\\tool.exe\nArgs11=-q\n"
      L"IndexPic12=6\nSetName12=Program: tool.exe\nProgram12=C:\\x\\tool.exe\nArgs12=-q\n"
      L"IndexPic13=6\nSetName13=Program: notepad.exe\nProgram13=notepad.exe\n"
      L"IndexPic14=5\nSetName14=Text: hi\nText14=hi\\nthere\n"
      L"IndexPic15=6\nSetName15=Program: \n"
      L"IndexPic16=1\nSetName16=m\nMacroIndex16=0\n"
      L"IndexPic17=6\nSetName17=Program: payload.exe\nProgram17=\"%TOOLS%\\payload.exe\"\n"
      L"IndexPic18=6\nSetName18=Program: hidden.exe\nProgram18=" + longFolder + L"hidden.exe\nArgs18=-a" +
      std::wstring(50, L' ') + L"-b\n"
      L"IndexPic19=0\nSetName19=P\nKey19=80\n"
      L"MacroStrNum=1\nMacroName0=m\nMacroKey0=0,91,1,0,82,1,0,82,0,0,91,0\nMacroKeyNum0=12\n"
      L"SetIndexNum=9\nsetindex0=0\nsetindex1=1\nsetindex2=2\nsetindex3=3\nsetindex4=4\nsetindex5=5\n"
      L"setindex6=6\nsetindex7=7\nsetindex8=8\n";
  files.Put(L"programs.ini", testing::Utf16File(programs));
  files.Put(L"plain.ini", testing::Utf16File(L"[Profile1]\nIndexPic14=0\nSetName14=P\nKey14=80\n"));

  for (const bool keep : {true, false}) {
    SetUp();
    ui.questions.clear();
    ui.answers = {keep};
    EXPECT_TRUE(Import(L"programs.ini"));
    ASSERT_EQ(ui.questions.size(), 1u) << keep;
    const std::wstring& question = ui.questions[0];
    EXPECT_NE(question.find(L"«programs.ini»"), std::wstring::npos) << keep;
    for (const std::wstring& line :
         {std::wstring(L"\nK1: программа C:\\x\\tool.exe -q\n"), std::wstring(L"\nK2: программа C:\\x\\tool.exe -q\n"),
          std::wstring(L"\nK3: программа notepad.exe\n"), std::wstring(L"\nK4: текст «hi↵there»\n"),
          std::wstring(L"\nK6: макрос «m»\n"), std::wstring(L"\nK7: программа D:\\My Tools\\payload.exe\n"),
          L"\nK8: программа " + CutInTheMiddle(longFolder, kMaxShownFolderChars) + L"hidden.exe -a -b\n"}) {
      EXPECT_NE(question.find(line), std::wstring::npos) << line.size() << "-character line missing, keep " << keep;
    }
    EXPECT_EQ(question.find(L"K5:"), std::wstring::npos) << "a program key without a program starts nothing";
    EXPECT_EQ(question.find(L"K9:"), std::wstring::npos) << "a key that sends another key is no question";

    const ProfileData& p = set.Active();
    EXPECT_EQ(set.working, p);
    for (int entry : {1, 2, 3, 4, 6, 7, 8}) {
      const KeyAssignment& r = p.records[static_cast<size_t>(entry - 1)];
      EXPECT_EQ(r.kind == AssignKind::SingleKey, !keep) << entry;
      if (!keep) {
        EXPECT_EQ(r, (KeyAssignment{L"K" + std::to_wstring(entry), AssignKind::SingleKey, 0, false})) << entry;
      }
      EXPECT_EQ(p.keyMap.at(10 + entry) == OutputSequence{10 + entry}, !keep || entry != 6) << entry;
    }
    EXPECT_EQ(p.macros.indexMap.count(16), keep ? 1u : 0u);
    EXPECT_EQ(p.keyMap.at(19), OutputSequence{80}) << "kept either way";
    EXPECT_EQ(p.assignedSlots, keep ? (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}) : (std::vector<int>{4, 8}));
  }

  ui.questions.clear();
  EXPECT_TRUE(Import(L"plain.ini"));
  EXPECT_TRUE(ui.questions.empty()) << "nothing to play, type or start, nothing to ask";
}

TEST(ImportedActionsQuestion, ShowsAProgramsFileAndArgumentsWholeAndCutsOnlyItsFolder) {
  // A character outside the Basic Multilingual Plane at either cut: both its halves go.
  const std::wstring pair = L"\xD83D\xDE00";
  const std::wstring folder = L"C:\\" + std::wstring(26, L'a') + pair + std::wstring(40, L'b') + pair +
                              std::wstring(28, L'c') + L"\\";
  const std::wstring shown = ShownCommand(ProgramStart{folder + L"x.exe", L"  -a   -b ", {}});
  EXPECT_EQ(shown, L"C:\\" + std::wstring(26, L'a') + L"…" + std::wstring(28, L'c') + L"\\x.exe -a -b");
  EXPECT_EQ(ShownCommand(ProgramStart{L"calc", L"", {}}), L"calc");
  std::vector<ImportedAction> many;
  for (int i = 0; i < 20; ++i) many.push_back({i, L"K" + std::to_wstring(i) + L": текст «x»"});
  const std::wstring question = ImportedActionsQuestion(L"x.ini", many);
  EXPECT_NE(question.find(L"\nK11: "), std::wstring::npos);
  EXPECT_EQ(question.find(L"\nK12: "), std::wstring::npos);
  EXPECT_NE(question.find(L"… и ещё 8"), std::wstring::npos);
}

TEST_F(ProfileFileExchangeTest, ImportRefusesFilesWithoutAProfileAndChangesNothing) {
  files.Put(L"locked.ini", testing::Utf16File(L"[Profile1]\nKey11=80\n"));
  files.Inject(L"locked.ini", MemoryFileStore::Fault::Unreadable);
  files.Put(L"other.ini", testing::Utf16File(L"[TYPE]\ntype=2\n[Profile1]\nKey11=80\n"));
  files.Put(L"empty.ini", "");
  files.Put(L"hollow.ini", testing::Utf16File(L"[Profile1]\n"));
  // A good profile in a file far larger than any profile: refused before it is parsed.
  files.Put(L"huge.ini", "[Profile1]\r\nKey11=80\r\n" + std::string(kMaxImportBytes, ';'));
  for (const wchar_t* file :
       {L"absent.ini", L"locked.ini", L"other.ini", L"empty.ini", L"hollow.ini", L"huge.ini"}) {
    SetUp();
    Edit();
    const ProfileSet before = set;
    ui = ScriptedUi{};
    EXPECT_FALSE(Import(file));
    EXPECT_EQ(set.working, before.working);
    EXPECT_EQ(set.profiles, before.profiles);
    EXPECT_EQ(set.pending, before.pending);
    ASSERT_EQ(ui.told.size(), 1u);
    EXPECT_NE(ui.told[0].find(file), std::wstring::npos) << "the message names the file";
  }
}

TEST_F(ProfileFileExchangeTest, ImportReadsUtf8ExportsWithCyrillicNames) {
  const std::string text = "[Profile1]\r\nIndexPic11=3\r\nSetName11=Копировать\r\n"
                           "IndexPic12=1\r\nMacroIndex12=0\r\nSetName12=Макрос\r\n"
                           "MacroStrNum=1\r\nMacroName0=Макрос\r\nMacroKey0=1,65,1,2,65,0\r\nMacroKeyNum0=6\r\n";
  for (const std::string& bytes : {"\xEF\xBB\xBF" + text, text}) {
    SetUp();
    files.Put(L"utf8.ini", bytes);
    ui.answers = {true};  // keep the macro key
    EXPECT_TRUE(Import(L"utf8.ini"));
    EXPECT_EQ(set.Active().records[0].name, L"Копировать");
    EXPECT_EQ(set.Active().keyMap.at(11), (OutputSequence{17, 67})) << "the command is found by its name";
    EXPECT_EQ(testing::MacroNames(set.Active().macros), std::vector<std::wstring>{L"Макрос"});
    EXPECT_EQ(set.Active().keyMap.at(12), OutputSequence{65});
  }
}

TEST_F(ProfileFileExchangeTest, ExportNeverWritesOverAFileItCannotReadAndReportsFailedWrites) {
  const std::string original = testing::Utf16File(L"[Mine]\nvalue=precious\n");
  struct Case {
    const char* what;
    MemoryFileStore::Fault fault;
  } cases[] = {
      {"unreadable target", MemoryFileStore::Fault::Unreadable},
      {"read-only target", MemoryFileStore::Fault::ReadOnly},
      {"scratch write fails", MemoryFileStore::Fault::WriteFails},
  };
  for (const Case& c : cases) {
    files.Clear();
    ui = ScriptedUi{};
    files.Put(L"target.ini", original);
    files.Inject(c.fault == MemoryFileStore::Fault::WriteFails ? L"target.ini.new" : L"target.ini", c.fault);
    EXPECT_FALSE(Export(L"target.ini")) << c.what;
    EXPECT_EQ(*files.Find(L"target.ini"), original) << c.what;
    EXPECT_EQ(files.Paths().size(), 1u) << c.what;
    EXPECT_EQ(ui.told.size(), 1u) << c.what;
    EXPECT_EQ(ui.toldKinds, std::vector<MessageKind>{MessageKind::Error}) << c.what << ": no confirmation";
  }
}

// The dialog side of a slot edit: what the assignment dialog hands back after OK.
class WorkingEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitKeyMaps(set);
    // Macros 0 and 1; keys 11 (entry 1) and 12 (entry 2) play macro 0, key 13 (entry 3) macro 1.
    ProfileData& w = set.working;
    w.macros.list = {Macro{L"zero", testing::Steps({1, 65, 1, 1, 65, 0}), {0, 40}, 3},
                     testing::MacroOf(L"one", {1, 66, 1, 1, 67, 1})};
    for (auto [entry, macro] : {std::pair{1, 0}, {2, 0}, {3, 1}}) {
      const int code = table.Entry(entry).keyCode;
      w.records[static_cast<size_t>(entry - 1)] = {w.macros.list[static_cast<size_t>(macro)].name, AssignKind::Macro, macro};
      w.macros.indexMap[code] = macro;
      w.keyMap[code] = DownStepKeyCodes(w.macros.list[static_cast<size_t>(macro)].steps);
      w.assignedSlots.push_back(entry - 1);
    }
    w.records[0].hold = true;
    ApplyWorkingCopy(set);
  }

  KeyTable table = testing::MakeFullKeyTable();
  ProfileSet set;
  AssignEdit edit;
};

TEST_F(WorkingEditTest, PrepareHandsOverCopies) {
  PrepareSlotEdit(set, table, 3, edit);
  EXPECT_EQ(edit.displayName, L"one");
  EXPECT_EQ(edit.kind, AssignKind::Macro);
  EXPECT_EQ(edit.macroIndex, 1);
  EXPECT_EQ(edit.keyCode, 13);
  EXPECT_FALSE(edit.hold);
  EXPECT_EQ(edit.macros.list, set.working.macros.list);
  PrepareSlotEdit(set, table, 1, edit);
  EXPECT_TRUE(edit.hold) << "the edited key's own";
  edit.displayName = L"kept";
  PrepareMacroEdit(set, edit);
  EXPECT_EQ(edit.target, EditTarget::MacroTable);
  EXPECT_EQ(edit.kind, AssignKind::Macro);
  EXPECT_EQ(edit.macroIndex, 0);
  EXPECT_FALSE(edit.hold) << "no key is edited";
  EXPECT_EQ(edit.macros.list, set.working.macros.list);
  EXPECT_EQ(edit.displayName, L"kept");
  EXPECT_EQ(edit.macros.indexMap, set.working.macros.indexMap);
}

TEST_F(WorkingEditTest, DeletingAMacroTwoKeysPlayReturnsBothToDefault) {
  PrepareSlotEdit(set, table, 3, edit);
  RemoveMacro(edit, 0);
  CommitSlotEdit(set, table, 3, edit);
  for (int entry : {1, 2}) {
    const int code = table.Entry(entry).keyCode;
    EXPECT_EQ(set.working.records[static_cast<size_t>(entry - 1)], (KeyAssignment{L"K" + std::to_wstring(entry), AssignKind::SingleKey, 0}));
    EXPECT_EQ(set.working.keyMap.at(code), OutputSequence{code});
  }
  EXPECT_FALSE(set.working.records[0].hold) << "a key back at its default is not held";
  // Key 13 still plays the same macro, now at index 0, with its timing.
  EXPECT_EQ(set.working.records[2], (KeyAssignment{L"one", AssignKind::Macro, 0}));
  EXPECT_EQ(testing::MacroWaits(set.working.macros), std::vector<MacroDelays>{{}});
  EXPECT_EQ(testing::MacroLoops(set.working.macros), std::vector<int>{1});
  EXPECT_EQ(set.working.keyMap.at(13), (OutputSequence{66, 67}));
  EXPECT_EQ(set.working.assignedSlots, std::vector<int>{2});
  EXPECT_EQ(set.Active(), set.working) << "a slot edit is applied at once";
  EXPECT_FALSE(set.pending);
}

TEST_F(WorkingEditTest, EditingStepsAndRenamingUpdatesEveryKeyThatPlaysTheMacro) {
  PrepareMacroEdit(set, edit);
  edit.macros.list[0].name = L"renamed";
  edit.macros.list[0].steps = testing::Steps({1, 70, 1, 1, 71, 1});
  edit.macros.list[0].delays = {0, 500};
  edit.macros.list[0].loops = 7;
  CommitMacroEdit(set, table, edit);
  for (int code : {11, 12}) EXPECT_EQ(set.working.keyMap.at(code), (OutputSequence{70, 71}));
  EXPECT_EQ(set.working.macros.list[0].delays, (MacroDelays{0, 500}));
  EXPECT_EQ(set.working.macros.list[0].loops, 7);
  EXPECT_TRUE(set.working.records[0].hold) << "a key that still plays its macro keeps its hold";
  EXPECT_EQ(set.working.records[0].name, L"renamed");
  EXPECT_EQ(set.working.records[1].name, L"renamed");
  EXPECT_EQ(set.working.macros.list[0].name, L"renamed");
  EXPECT_TRUE(set.pending) << "a macro-table edit waits for Apply";
  EXPECT_EQ(set.Active().keyMap.at(11), (OutputSequence{65}));

  ScriptedUi ui;
  ui.answers = {true};
  SwitchProfile(set, 2, ui);
  EXPECT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(set.Profile(1).keyMap.at(11), (OutputSequence{70, 71}));
}

TEST_F(WorkingEditTest, MacroEditDeletingAMacroResetsItsKeys) {
  PrepareMacroEdit(set, edit);
  RemoveMacro(edit, 1);
  CommitMacroEdit(set, table, edit);
  EXPECT_EQ(set.working.records[2], (KeyAssignment{L"K3", AssignKind::SingleKey, 0}));
  EXPECT_EQ(set.working.keyMap.at(13), OutputSequence{13});
  EXPECT_EQ(set.working.assignedSlots, (std::vector<int>{0, 1}));
}

TEST_F(WorkingEditTest, SlotEditResultsFoldBackConsistently) {
  struct Case {
    const char* what;
    int entry;
    std::wstring name;
    AssignKind kind;
    bool dropMacroEntry;  // the dialog's OK removed the key's macro-index map entry
    bool listed;
    std::wstring recordName;
  } cases[] = {
      {"own name counts as unassigned", 5, L"K5", AssignKind::SingleKey, false, false, L"K5"},
      {"empty name counts as unassigned", 5, L"", AssignKind::SingleKey, false, false, L"K5"},
      {"another name assigns", 5, L"Копировать", AssignKind::Function, false, true, L"Копировать"},
      {"macro key turned into a function keeps the function", 1, L"Вставить", AssignKind::Function, true, true, L"Вставить"},
  };
  for (const Case& c : cases) {
    SetUp();
    PrepareSlotEdit(set, table, c.entry, edit);
    edit.displayName = c.name;
    edit.kind = c.kind;
    edit.macroIndex = 0;
    edit.hold = true;
    if (c.dropMacroEntry) edit.macros.indexMap.erase(edit.keyCode);
    CommitSlotEdit(set, table, c.entry, edit);
    const auto& list = set.working.assignedSlots;
    const bool listed = std::find(list.begin(), list.end(), c.entry - 1) != list.end();
    EXPECT_EQ(listed, c.listed) << c.what;
    // Held only while assigned: a key that sends itself has nothing of its own to hold.
    const KeyAssignment expected{c.recordName, c.kind, 0, c.listed};
    EXPECT_EQ(set.working.records[static_cast<size_t>(c.entry - 1)], expected) << c.what;
    EXPECT_EQ(std::count(list.begin(), list.end(), c.entry - 1), listed ? 1 : 0) << c.what;
  }
}

TEST_F(WorkingEditTest, CommitSettlesTheKeysEntryForEachKind) {
  constexpr int kNoMacro = -1;  // the edit's macro-index map holds nothing for the key
  struct Case {
    const char* what;
    int entry;
    AssignKind kind;
    std::wstring name;
    std::optional<OutputSequence> sends;
    int macro;
    OutputSequence sequence;  // the key's entry after the commit
    AssignKind kindAfter;
    bool listed;
  } cases[] = {
      {"a single key", 5, AssignKind::SingleKey, L"A", OutputSequence{65}, kNoMacro, {65}, AssignKind::SingleKey, true},
      {"a macro key turned into a single key stops its macro", 3, AssignKind::SingleKey, L"A", OutputSequence{65}, 1, {65}, AssignKind::SingleKey, true},
      {"a single key captured as no key sends itself", 5, AssignKind::SingleKey, L"?", OutputSequence{0}, kNoMacro, {15}, AssignKind::SingleKey, true},
      {"a macro plays its down steps", 5, AssignKind::Macro, L"one", std::nullopt, 1, {66, 67}, AssignKind::Macro, true},
      {"no macro chosen: the key sends itself, unassigned", 3, AssignKind::Macro, L"one", std::nullopt, kNoMacro, {13}, AssignKind::SingleKey, false},
      {"a media key", 3, AssignKind::Media, L"Play", OutputSequence{179}, 1, {179}, AssignKind::Media, true},
      {"a function", 5, AssignKind::Function, L"Copy", OutputSequence{17, 67}, kNoMacro, {17, 67}, AssignKind::Function, true},
      {"no function chosen: the key sends itself, not nothing", 5, AssignKind::Function, L"", OutputSequence{}, kNoMacro, {15}, AssignKind::Function, false},
      {"disabled", 3, AssignKind::Disabled, L"", std::nullopt, 1, {13}, AssignKind::Disabled, true},
      {"an empty text falls back to the key itself", 3, AssignKind::Text, L"", std::nullopt, 1, {13}, AssignKind::SingleKey, false},
  };
  for (const Case& c : cases) {
    SetUp();
    PrepareSlotEdit(set, table, c.entry, edit);
    edit.kind = c.kind;
    edit.displayName = c.name;
    edit.sends = c.sends;
    edit.macroIndex = std::max(c.macro, 0);
    if (c.macro == kNoMacro) {
      edit.macros.indexMap.erase(edit.keyCode);
    } else {
      edit.macros.indexMap[edit.keyCode] = c.macro;
    }
    CommitSlotEdit(set, table, c.entry, edit);
    const int code = table.Entry(c.entry).keyCode;
    const ProfileData& w = set.working;
    EXPECT_EQ(w.keyMap.at(code), c.sequence) << c.what;
    EXPECT_EQ(w.records[static_cast<size_t>(c.entry - 1)].kind, c.kindAfter) << c.what;
    EXPECT_EQ(w.macros.indexMap.count(code), c.kindAfter == AssignKind::Macro ? 1u : 0u) << c.what;
    EXPECT_EQ(std::count(w.assignedSlots.begin(), w.assignedSlots.end(), c.entry - 1), c.listed ? 1 : 0) << c.what;
    EXPECT_EQ(set.Active(), w) << c.what << ": applied";
  }
}

TEST_F(WorkingEditTest, DisabledTextAndProgramEditsJoinTheListAndKeepTheKeySendingItself) {
  struct Case {
    const char* what;
    int entry;
    AssignKind kind;
    std::wstring text, program, args;
    KeyAssignment expected;
  } cases[] = {
      {"a held macro key disabled: its macro stops, nothing held",
       1,
       AssignKind::Disabled,
       L"stale",
       L"stale",
       L"stale",
       {L"Disabled", AssignKind::Disabled, 0, false}},
      {"a text, its line breaks as the file keeps them",
       3,
       AssignKind::Text,
       L"Hello\nworld",
       L"",
       L"",
       {L"Text: Hello world", AssignKind::Text, 0, false, L"Hello\nworld"}},
      {"a program with its arguments",
       5,
       AssignKind::Program,
       L"",
       L"C:\\a\\b.exe",
       L"-x",
       {L"Program: b.exe", AssignKind::Program, 0, false, L"", L"C:\\a\\b.exe", L"-x"}},
      {"a text key without a text is no assignment", 5, AssignKind::Text, L"", L"", L"", {L"K5", AssignKind::SingleKey, 0, false}},
      {"a program key without a path is no assignment", 3, AssignKind::Program, L"", L"", L"-x", {L"K3", AssignKind::SingleKey, 0, false}},
  };
  for (const Case& c : cases) {
    SetUp();
    PrepareSlotEdit(set, table, c.entry, edit);
    edit.kind = c.kind;
    edit.displayName = L"from the dialog";
    edit.hold = true;
    edit.text = c.text;
    edit.program = c.program;
    edit.args = c.args;
    // The values as the dialog's OK cleaned them; it left the macro-index map as it was.
    CommitSlotEdit(set, table, c.entry, edit);
    const int code = table.Entry(c.entry).keyCode;
    const ProfileData& w = set.working;
    EXPECT_EQ(w.records[static_cast<size_t>(c.entry - 1)], c.expected) << c.what;
    const bool assigned = c.expected.kind != AssignKind::SingleKey;
    EXPECT_EQ(std::count(w.assignedSlots.begin(), w.assignedSlots.end(), c.entry - 1), assigned ? 1 : 0) << c.what;
    EXPECT_EQ(w.keyMap.at(code), OutputSequence{code}) << c.what;
    EXPECT_EQ(w.macros.indexMap.count(code), 0u) << c.what;
    EXPECT_EQ(w.macros.indexMap.at(12), 0) << c.what << ": another key of the macro plays on";
    EXPECT_EQ(set.Active(), w) << c.what << ": applied";
  }

  // Back from a text to a single key: nothing of the text stays.
  PrepareSlotEdit(set, table, 3, edit);
  edit.kind = AssignKind::Text;
  edit.text = L"typed";
  CommitSlotEdit(set, table, 3, edit);
  PrepareSlotEdit(set, table, 3, edit);
  EXPECT_EQ(edit.text, L"typed") << "handed to the dialog";
  edit.kind = AssignKind::SingleKey;
  edit.displayName = L"A";
  CommitSlotEdit(set, table, 3, edit);
  EXPECT_EQ(set.working.records[2], (KeyAssignment{L"A", AssignKind::SingleKey, 0, false}));
}

TEST_F(WorkingEditTest, RemovingAMacroMovesTheLaterMacrosTimingDownWithThem) {
  edit.macros.list = {Macro{L"a", testing::Steps({1, 65, 1}), {10}, 4}, Macro{L"b", testing::Steps({1, 66, 1}), {20}, 5},
                      Macro{L"c", testing::Steps({1, 67, 1}), {30}, 6}};
  edit.macros.indexMap = {{11, 0}, {12, 1}, {13, 2}};
  RemoveMacro(edit, 3);
  RemoveMacro(edit, -1);
  EXPECT_EQ(edit.macros.list.size(), 3u) << "an index outside the table changes nothing";
  RemoveMacro(edit, 1);
  EXPECT_EQ(testing::MacroNames(edit.macros), (std::vector<std::wstring>{L"a", L"c"}));
  EXPECT_EQ(testing::MacroWaits(edit.macros), (std::vector<MacroDelays>{{10}, {30}}));
  EXPECT_EQ(testing::MacroLoops(edit.macros), (std::vector<int>{4, 6}));
  EXPECT_EQ(edit.macros.indexMap, (std::map<int, int>{{11, 0}, {13, 1}}));

  // A table of untimed macros loses its macro alike.
  AssignEdit bare;
  bare.macros.list = {testing::MacroOf(L"", {1, 65, 1}), testing::MacroOf(L"", {1, 66, 1})};
  RemoveMacro(bare, 0);
  EXPECT_EQ(bare.macros.list.size(), 1u);
}

TEST_F(WorkingEditTest, ACommittedMacroTableAlwaysHasItsTimingLists) {
  PrepareMacroEdit(set, edit);
  edit.macros.list.push_back(testing::MacroOf(L"added without timing", {1, 70, 1}));
  CommitMacroEdit(set, table, edit);
  EXPECT_EQ(testing::MacroWaits(set.working.macros), (std::vector<MacroDelays>{{0, 40}, {}, {}}));
  EXPECT_EQ(testing::MacroLoops(set.working.macros), (std::vector<int>{3, 1, 1}));
  PrepareSlotEdit(set, table, 1, edit);
  EXPECT_EQ(edit.macros.list, set.working.macros.list) << "handed over whole, timing included";
}

TEST_F(WorkingEditTest, DanglingMacroIndexInTheDialogIsNeverDereferenced) {
  PrepareMacroEdit(set, edit);
  edit.macros.indexMap[11] = 42;
  CommitMacroEdit(set, table, edit);
  EXPECT_EQ(set.working.keyMap.at(11), OutputSequence{11});
  EXPECT_EQ(set.working.records[0], (KeyAssignment{L"K1", AssignKind::SingleKey, 0}));
}

}  // namespace
}  // namespace orvelle

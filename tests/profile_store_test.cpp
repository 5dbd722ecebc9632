// The program's files as a unit: what start-up may trust, when "set.ini" may be written, and that
// a file of any age or size comes back as it was.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/profile_file.h"
#include "model/profile_store.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

using Fault = MemoryFileStore::Fault;
using testing::Utf16File;

const std::wstring kFolder = L"C:\\Orvelle\\";
const std::wstring kSetIni = kFolder + L"set.ini";
const std::wstring kMainIni = kFolder + L"Main.ini";

class ProfileStoreTest : public ::testing::Test {
 protected:
  // A fresh store over the same files, as at the next start of the program.
  LoadReport Start(ProfileStore& store) {
    table = KeyTable{};
    set = ProfileSet{};
    InitKeyMaps(set);
    return store.Load(table, set);
  }

  MemoryFileStore files;
  KeyTable table;
  ProfileSet set;
};

TEST_F(ProfileStoreTest, StartUpDecidesWhetherTheProfileFileMayBeWritten) {
  enum class File { Good, Missing, Unreadable, Empty, NoKeyCodes };
  struct Case {
    const char* what;
    File profiles, layout;
    ReadOutcome profilesOutcome;
    LayoutOutcome layoutOutcome;
    bool writable;
  } cases[] = {
      {"both read", File::Good, File::Good, ReadOutcome::Read, LayoutOutcome::Read, true},
      {"first start", File::Missing, File::Good, ReadOutcome::Missing, LayoutOutcome::Read, true},
      {"profiles locked", File::Unreadable, File::Good, ReadOutcome::Unreadable, LayoutOutcome::Read, false},
      {"layout missing", File::Good, File::Missing, ReadOutcome::Read, LayoutOutcome::Missing, false},
      {"layout unreadable", File::Good, File::Unreadable, ReadOutcome::Read, LayoutOutcome::Unreadable, false},
      {"layout empty", File::Good, File::Empty, ReadOutcome::Read, LayoutOutcome::NoKeys, false},
      {"layout without key codes", File::Good, File::NoKeyCodes, ReadOutcome::Read, LayoutOutcome::NoKeys, false},
      {"nothing there", File::Missing, File::Missing, ReadOutcome::Missing, LayoutOutcome::Missing, false},
  };
  const std::string goodProfiles = Utf16File(
      L"[TYPE]\ntype=2\n[Profile1]\nIndexPic65=0\nKey65=71\n[Profile2]\nIndexPic65=0\nKey65=72\nSetName65=Моя\n");
  for (const Case& c : cases) {
    files.Clear();
    if (c.profiles != File::Missing) files.Put(kSetIni, goodProfiles);
    if (c.profiles == File::Unreadable) files.Inject(kSetIni, Fault::Unreadable);
    KeyTable layout = testing::MakeKeyTable({{1, 65, L"A"}, {2, 66, L"B"}});
    if (c.layout == File::NoKeyCodes) {
      layout = testing::MakeKeyTable({{1, 0, L"A"}, {2, 300, L"B"}, {122, 0, L"Close"}});
    }
    if (c.layout == File::Good || c.layout == File::NoKeyCodes || c.layout == File::Unreadable) {
      files.Put(kMainIni, Utf16File(testing::LayoutText(layout)));
    }
    if (c.layout == File::Empty) files.Put(kMainIni, "");
    if (c.layout == File::Unreadable) files.Inject(kMainIni, Fault::Unreadable);
    const std::vector<std::wstring> before = files.Paths();

    ProfileStore store(files, nullptr, kFolder);
    const LoadReport report = Start(store);
    EXPECT_EQ(report.profiles, c.profilesOutcome) << c.what;
    EXPECT_EQ(report.layout, c.layoutOutcome) << c.what;
    EXPECT_EQ(store.writable(), c.writable) << c.what;
    EXPECT_EQ(StartupMessage(report).has_value(), !c.writable) << c.what;
    if (c.profiles == File::Good && c.layout == File::Good) {
      EXPECT_EQ(set.activeProfile, 2) << c.what;
      EXPECT_EQ(set.working.keyMap.at(65), OutputSequence{72}) << c.what;
    }

    // An applied change, saved as the program saves after every one.
    set.Active().records[1].name = L"Изменено";
    const SaveResult result = store.Save(table, set);
    EXPECT_EQ(result.outcome, c.writable ? SaveOutcome::Saved : SaveOutcome::NotWritable) << c.what;
    if (!c.writable) {
      EXPECT_EQ(files.Paths(), before) << c.what << ": nothing written, created or removed";
      if (c.profiles != File::Missing) {
        EXPECT_EQ(*files.Find(kSetIni), goodProfiles) << c.what;
      }
    }
  }
}

TEST_F(ProfileStoreTest, StartupMessagesExplainWhatIsKeptFromWriting) {
  const std::wstring missing = *StartupMessage({ReadOutcome::Read, LayoutOutcome::Missing});
  EXPECT_NE(missing.find(L"Main.ini не найден"), std::wstring::npos);
  const std::wstring locked = *StartupMessage({ReadOutcome::Unreadable, LayoutOutcome::Read});
  EXPECT_NE(locked.find(L"Не удалось прочитать файл set.ini"), std::wstring::npos);
  const std::wstring both = *StartupMessage({ReadOutcome::Unreadable, LayoutOutcome::NoKeys});
  EXPECT_NE(both.find(L"set.ini"), std::wstring::npos);
  EXPECT_NE(both.find(L"нет описания клавиш"), std::wstring::npos);
  EXPECT_FALSE(StartupMessage({ReadOutcome::Missing, LayoutOutcome::Read}));
}

TEST_F(ProfileStoreTest, SavesTheAppliedProfilesOnlyWhenTheyDifferAndReportsFailures) {
  files.Put(kMainIni, Utf16File(testing::LayoutText(testing::MakeKeyTable({{1, 65, L"A"}}))));
  ProfileStore store(files, nullptr, kFolder);
  Start(store);
  ASSERT_EQ(store.Save(table, set).outcome, SaveOutcome::Saved);
  const std::string first = *files.Find(kSetIni);
  EXPECT_EQ(files.Find(kSetIni + L".bak"), nullptr) << "there was no file to keep";

  // Nothing differs: no write at all, which a failing scratch write would show.
  files.Inject(kSetIni + L".new", Fault::WriteFails);
  EXPECT_EQ(store.Save(table, set).outcome, SaveOutcome::Unchanged);
  files.Heal(kSetIni + L".new", Fault::WriteFails);

  // An unapplied edit of the working copy is not saved; the applied profile copy is.
  set.working.keyMap[65] = {90};
  set.pending = true;
  set.Active().keyMap[65] = {80};
  ASSERT_EQ(store.Save(table, set).outcome, SaveOutcome::Saved);
  EXPECT_EQ(*files.Find(kSetIni + L".bak"), first);
  ProfileStore next(files, nullptr, kFolder);
  Start(next);
  EXPECT_EQ(set.working.keyMap.at(65), OutputSequence{80});

  // A read-only file is reported, never silently left behind, and written once it can be.
  const std::string second = *files.Find(kSetIni);
  files.Inject(kSetIni, Fault::ReadOnly);
  set.Active().keyMap[65] = {81};
  const SaveResult failed = next.Save(table, set);
  EXPECT_EQ(failed.outcome, SaveOutcome::Failed);
  EXPECT_FALSE(failed.message.empty());
  EXPECT_EQ(*files.Find(kSetIni), second);
  EXPECT_EQ(files.Find(kSetIni + L".new"), nullptr);
  files.Heal(kSetIni, Fault::ReadOnly);
  EXPECT_EQ(next.Save(table, set).outcome, SaveOutcome::Saved);
}

TEST_F(ProfileStoreTest, StartUpRefusesAFolderItCannotWriteAndASetIniTooLargeToReadWhole) {
  const std::string layout = Utf16File(testing::LayoutText(testing::MakeKeyTable({{1, 65, L"A"}})));
  // 17 MiB: read by the store, but twice that as UTF-16, which once loaded as an empty file.
  const std::string huge = "[TYPE]\r\ntype=2\r\n" + std::string(size_t{17} << 20, ';');
  struct Case {
    const char* what;
    bool hugeSetIni, folderReadOnly;
    std::vector<const wchar_t*> told;
  } cases[] = {
      {"set.ini of 17 MiB", true, false, {L"set.ini слишком большой", L"не будут записаны"}},
      {"a folder that refuses new files", false, true,
       {L"нельзя записывать", L"C:\\Orvelle\\", L"Program Files", L"установщиком", L"куда вы можете записывать"}},
  };
  for (const Case& c : cases) {
    files.Clear();
    files.Put(kMainIni, layout);
    if (c.hugeSetIni) files.Put(kSetIni, huge);
    if (c.folderReadOnly) files.Inject(kFolder + L"~orvelle-write-check.tmp", Fault::ReadOnly);
    ProfileStore store(files, nullptr, kFolder);
    const LoadReport report = Start(store);
    EXPECT_FALSE(store.writable()) << c.what;
    const std::wstring message = StartupMessage(report).value_or(L"");
    for (const wchar_t* part : c.told) EXPECT_NE(message.find(part), std::wstring::npos) << c.what << ": " << part;
    set.Active().keyMap[65] = {80};
    EXPECT_EQ(store.Save(table, set).outcome, SaveOutcome::NotWritable) << c.what;
    if (c.hugeSetIni) {
      EXPECT_EQ(*files.Find(kSetIni), huge) << c.what;
    }
    EXPECT_EQ(files.Paths().size(), c.hugeSetIni ? 2u : 1u) << c.what << ": nothing left beside the files";
  }
}

TEST_F(ProfileStoreTest, ASetIniChangedBehindTheProgramsBackIsKeptAndNamedOnce) {
  files.Put(kMainIni, Utf16File(testing::LayoutText(testing::MakeKeyTable({{1, 65, L"A"}}))));
  ProfileStore store(files, nullptr, kFolder);
  Start(store);
  ASSERT_EQ(store.Save(table, set).outcome, SaveOutcome::Saved);
  const std::string handEdited = Utf16File(L"[TYPE]\ntype=3\n");
  files.Put(kSetIni, handEdited);
  set.Active().keyMap[65] = {80};
  const SaveResult saved = store.Save(table, set);
  ASSERT_EQ(saved.outcome, SaveOutcome::Saved);
  EXPECT_EQ(saved.kept, kSetIni + L".20260102-030405.bak");
  EXPECT_EQ(*files.Find(saved.kept), handEdited);
  EXPECT_NE(KeptVersionMessage(saved.kept).find(saved.kept), std::wstring::npos) << "the message names the file";
  set.Active().keyMap[65] = {81};
  EXPECT_TRUE(store.Save(table, set).kept.empty()) << "its own file is replaced without keeping it";
}

// Esc, F1 and F2; F1 plays macro define0, F2 copies.
KeyTable ThreeKeyTable() { return testing::MakeKeyTable({{1, 27, L"Esc"}, {2, 112, L"F1"}, {3, 113, L"F2"}}); }

// A profile file as the program has always written it for ThreeKeyTable, with "\n" line ends.
std::wstring EarlierProfileFile() {
  const std::wstring defaults =
      L"IndexPic27=0\nMacroIndex27=0\nSetName27=Esc\nKey27=27\n"
      L"IndexPic112=0\nMacroIndex112=0\nSetName112=F1\nKey112=112\n"
      L"IndexPic113=0\nMacroIndex113=0\nSetName113=F2\nKey113=113\n"
      L"IndexPic0=0\nMacroIndex0=0\nSetName0=\nKey0=0\nMacroStrNum=0\nSetIndexNum=0\n";
  return L"[TYPE]\ntype=1\n\n"
         L"[Profile1]\n"
         L"IndexPic27=0\nMacroIndex27=0\nSetName27=Esc\nKey27=27\n"
         L"IndexPic112=1\nMacroIndex112=0\nSetName112=define0\n"
         L"IndexPic113=3\nMacroIndex113=0\nSetName113=Копировать\n"
         L"IndexPic0=0\nMacroIndex0=0\nSetName0=\nKey0=0\n"
         L"MacroStrNum=1\nMacroName0=define0\nMacroKey0=1966080,65,1,-2145517568,65,0\nMacroKeyNum0=6\n"
         L"SetIndexNum=2\nsetindex0=1\nsetindex1=2\n\n"
         L"[Profile2]\n" + defaults + L"\n[Profile3]\n" + defaults;
}

// `text` with `insertion` after the first occurrence of `after`.
std::wstring InsertAfter(std::wstring text, std::wstring_view after, std::wstring_view insertion) {
  const size_t at = text.find(after);
  EXPECT_NE(at, std::wstring::npos) << std::wstring(after);
  text.insert(at + after.size(), insertion);
  return text;
}

// What the program's earlier versions wrote: the system's functions, ANSI, Windows-1251 on a
// Russian system.
TEST_F(ProfileStoreTest, AFileFromTheEarlierProgramKeepsEveryKeyAndValueInOrder) {
  files.Put(kMainIni, Utf16File(testing::LayoutText(ThreeKeyTable())));
  const std::wstring text = EarlierProfileFile();
  std::wstring crlf;
  for (wchar_t ch : text) crlf += ch == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, ch);
  const std::string ansi = testing::EncodeCp1251(crlf);
  files.Put(kSetIni, ansi);

  ProfileStore store(files, testing::DecodeCp1251, kFolder);
  Start(store);
  EXPECT_EQ(set.working.keyMap.at(112), OutputSequence{65});
  EXPECT_EQ(set.working.keyMap.at(113), (OutputSequence{17, 67})) << "the command name decoded from the code page";
  ASSERT_EQ(store.Save(table, set).outcome, SaveOutcome::Saved) << "saved once, as UTF-16LE";
  EXPECT_EQ(*files.Find(kSetIni), Utf16File(text));
  EXPECT_EQ(*files.Find(kSetIni + L".bak"), ansi);
  EXPECT_EQ(store.Save(table, set).outcome, SaveOutcome::Unchanged);
}

// Held keys, timed and looped macros and the key hold time add their keys where they belong, and
// leave nothing behind once they are off again.
TEST_F(ProfileStoreTest, TheNewSettingsComeAndGoWithoutTouchingAnythingElse) {
  files.Put(kMainIni, Utf16File(testing::LayoutText(ThreeKeyTable())));
  const std::wstring earlier = EarlierProfileFile();
  files.Put(kSetIni, Utf16File(earlier));
  ProfileStore store(files, nullptr, kFolder);
  Start(store);
  ProfileData& p = set.Profile(1);
  p.records[0].hold = true;
  p.macros.list[0].delays = {0, 35};
  p.macros.list[0].loops = 4;
  set.tapMs = 15;
  set.bindings = {{L"game.exe", 2}, {L"Игра.EXE", 3}};
  ASSERT_EQ(store.Save(table, set).outcome, SaveOutcome::Saved);
  std::wstring expected = InsertAfter(earlier, L"type=1\n", L"TapMs=15\n");
  expected = InsertAfter(expected, L"Key27=27\n", L"Hold27=1\n");
  expected = InsertAfter(expected, L"MacroKeyNum0=6\n", L"MacroDelay0=0,35\nMacroLoop0=4\n");
  expected += L"\n[Programs]\ngame.exe=2\nИгра.EXE=3\n";
  EXPECT_EQ(*files.Find(kSetIni), Utf16File(expected));

  ProfileStore next(files, nullptr, kFolder);
  const ProfileSet saved = set;
  Start(next);
  EXPECT_EQ(set.tapMs, 15);
  EXPECT_EQ(set.bindings, saved.bindings);
  EXPECT_EQ(set.Profile(1), saved.Profile(1));
  EXPECT_EQ(next.Save(table, set).outcome, SaveOutcome::Unchanged) << "read back exactly as written";

  set.Profile(1).records[0].hold = false;
  set.Profile(1).macros.list[0].delays.clear();
  set.Profile(1).macros.list[0].loops = 1;
  set.tapMs = 0;
  set.bindings.clear();
  ASSERT_EQ(next.Save(table, set).outcome, SaveOutcome::Saved);
  EXPECT_EQ(*files.Find(kSetIni), Utf16File(earlier)) << "byte for byte the file without them";
}

// A profile far past the system's section limits (32,767 characters read, 65,535 bytes written):
// ten macros of 250 steps, about 70 KB in UTF-16.
TEST_F(ProfileStoreTest, AProfileOfSeventyKilobytesSurvivesSaveAndLoad) {
  files.Put(kMainIni, Utf16File(testing::LayoutText(testing::MakeFullKeyTable())));
  ProfileStore store(files, nullptr, kFolder);
  Start(store);
  set.activeProfile = 2;
  ProfileData& p = set.Profile(2);
  for (int m = 0; m < 10; ++m) {
    Macro& macro = p.macros.list.emplace_back();
    for (int s = 0; s < 250; ++s) {
      const int key = 65 + (s / 2) % 26;
      macro.steps.push_back({s % 2 == 0 ? 1966080 + s : -2145517568 + s, key, s % 2 == 0 ? 1 : 0});
    }
    macro.name = L"Макрос " + std::to_wstring(m);
    p.records[static_cast<size_t>(m)] = {p.macros.list.back().name, AssignKind::Macro, m};
    p.assignedSlots.push_back(m);
    BuildOutputSequence(table.Entry(m + 1), p.records[static_cast<size_t>(m)], 0, table.media, p);
  }
  set.working = p;
  ASSERT_EQ(store.Save(table, set).outcome, SaveOutcome::Saved);
  size_t sectionChars = 0;  // as the system's section read counts them: "key=value" and a null each
  for (const IniEntry& e : PortableIni(files).ReadSection(kSetIni, L"Profile2")) {
    sectionChars += e.key.size() + e.value.size() + 2;
  }
  EXPECT_GT(sectionChars, 35000u);

  const ProfileData saved = p;
  ProfileStore next(files, nullptr, kFolder);
  Start(next);
  EXPECT_EQ(set.activeProfile, 2);
  const ProfileData& loaded = set.Profile(2);
  EXPECT_EQ(loaded.macros.list, saved.macros.list);
  // Key slots only: the screen buttons' records are not part of the file.
  EXPECT_TRUE(std::equal(saved.records.begin(), saved.records.begin() + kKeySlotCount, loaded.records.begin()));
  EXPECT_EQ(loaded.assignedSlots, saved.assignedSlots);
  EXPECT_EQ(loaded.macros.indexMap, saved.macros.indexMap);
  for (int code = 11; code <= 131; ++code) EXPECT_EQ(loaded.keyMap.at(code), saved.keyMap.at(code)) << code;
  EXPECT_EQ(set.working, loaded);
}

}  // namespace
}  // namespace orvelle

// One language per screen: which language the interface starts in, that every text exists in each,
// and that what is shown of a stored name changes with the language while what is stored never does.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "app/ui_language.h"
#include "assign/assign_dialog.h"
#include "base/language.h"
#include "base/texts.h"
#include "model/profile_file.h"
#include "model/profile_store.h"
#include "model/shown_names.h"
#include "platform/portable/memory_file_store.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

// The language is process-wide: every test leaves it as the others expect it.
class LanguageTest : public ::testing::Test {
 protected:
  void TearDown() override { SetLanguage(Language::Russian); }
};

TEST_F(LanguageTest, TheStoredChoiceWinsElseTheUiLanguageDecides) {
  struct Case {
    unsigned uiLanguage;
    const wchar_t* stored;
    Language expected;
  } cases[] = {
      {0x0419, L"", Language::Russian},    // Russian (Russia)
      {0x0819, L"", Language::Russian},    // Russian (Moldova): any region of the language
      {0x0409, L"", Language::English},    // English (United States)
      {0x0422, L"", Language::English},    // Ukrainian: not Russian, so English
      {0x0407, L"", Language::English},    // German
      {0x0000, L"", Language::English},    // no answer from the system
      {0x0409, L"ru", Language::Russian},  // chosen beats the system's
      {0x0419, L"en", Language::English},
      {0x0409, L"RU", Language::Russian},  // a hand edit in capitals
      {0x0419, L"de", Language::Russian},  // a code we do not speak is no choice
      {0x0409, L"ru ", Language::English}, // nor is anything but the bare code
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageOf(c.uiLanguage, c.stored), c.expected) << std::hex << c.uiLanguage << " " << c.stored;
  }
  for (Language language : {Language::Russian, Language::English}) {
    EXPECT_EQ(LanguageFromCode(LanguageCode(language)), language);
  }
}

// The placeholders a text's value goes into, counted, so that no language drops or adds one.
size_t Placeholders(std::wstring_view text) {
  size_t count = 0;
  for (size_t at = text.find(L"{}"); at != std::wstring_view::npos; at = text.find(L"{}", at + 2)) ++count;
  return count;
}

TEST_F(LanguageTest, EveryTextIsInBothLanguagesOnceAndNeverEmpty) {
  for (Language language : {Language::Russian, Language::English}) {
    std::set<int> seen;
    for (const TextEntry& entry : TextTable(language)) {
      const int id = static_cast<int>(entry.id);
      EXPECT_TRUE(seen.insert(id).second) << "text " << id << " twice in " << static_cast<int>(language);
      EXPECT_FALSE(entry.text.empty()) << "text " << id << " empty in " << static_cast<int>(language);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kTextCount)) << "every id in " << static_cast<int>(language);
  }
  for (int id = 0; id < kTextCount; ++id) {
    const std::wstring_view russian = TextIn(Language::Russian, static_cast<TextId>(id));
    const std::wstring_view english = TextIn(Language::English, static_cast<TextId>(id));
    EXPECT_EQ(Placeholders(russian), Placeholders(english)) << "text " << id;
    // A Russian word left in the English table is the mixed screen this is all about; only the
    // language menu names Russian in its own words.
    const bool cyrillic = std::any_of(english.begin(), english.end(), [](wchar_t c) { return c >= 0x400 && c <= 0x4FF; });
    const TextId textId = static_cast<TextId>(id);
    if (textId != TextId::MenuLanguage && textId != TextId::LanguageRussian) {
      EXPECT_FALSE(cyrillic) << "text " << id << " has Russian in English";
    }
  }
}

TEST_F(LanguageTest, TheCurrentLanguageDecidesEveryTextAndFillsItsValuesInItsOwnOrder) {
  SetLanguage(Language::English);
  EXPECT_EQ(Text(TextId::ResetQuestion), L"Reset to the default settings?");
  EXPECT_EQ(TextWith(TextId::ImportMissing, {L"a.ini"}), L"The file \"a.ini\" was not found. The profile is unchanged.");
  SetLanguage(Language::Russian);
  EXPECT_EQ(Text(TextId::ResetQuestion), L"Выполнить сброс до настроек по умолчанию?");
  EXPECT_EQ(TextWith(TextId::ImportMissing, {L"a.ini"}), L"Файл «a.ini» не найден. Профиль не изменён.");
  EXPECT_EQ(TextWith(TextId::ExportChangedMeanwhile, {L"a.ini"}),
            L"Файл «a.ini» изменился, пока профиль экспортировался. Прежняя версия сохранена рядом с ним как «{}».")
      << "a missing value leaves its place as it is";
}

TEST_F(LanguageTest, EveryStoredCommandAndMediaNameIsShownInTheLanguageAndStoredAsItWas) {
  const std::wstring_view englishCommands[] = {L"Open",  L"New",        L"Undo",    L"Save",    L"Copy",
                                               L"Cut",   L"Paste",      L"Find",    L"Select all", L"Zoom in",
                                               L"Zoom out", L"Minimize", L"Maximize"};
  const std::wstring_view englishMedia[] = {L"Play/Pause", L"Previous track", L"Next track", L"Web Refresh",
                                            L"Web Stop",   L"Web Back",       L"Web Forward"};
  ASSERT_EQ(std::size(englishCommands), kCommandTable.size());
  ASSERT_EQ(std::size(englishMedia), kMediaTable.size());
  auto trimmed = [](std::wstring_view name) {
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    return name;
  };
  for (size_t row = 0; row < kCommandTable.size(); ++row) {
    const std::wstring_view stored = kCommandTable[row].displayName;
    SetLanguage(Language::Russian);
    EXPECT_EQ(ShownCommandName(stored), trimmed(stored)) << row;
    SetLanguage(Language::English);
    EXPECT_EQ(ShownCommandName(stored), englishCommands[row]) << row;
    EXPECT_EQ(ShownCommandName(std::wstring(trimmed(stored))), englishCommands[row]) << "without its blank " << row;
  }
  for (size_t row = 0; row < kMediaTable.size(); ++row) {
    const std::wstring_view stored = kMediaTable[row];
    SetLanguage(Language::Russian);
    EXPECT_EQ(ShownMediaName(stored), stored) << row;
    SetLanguage(Language::English);
    EXPECT_EQ(ShownMediaName(stored), englishMedia[row]) << row;
  }
  EXPECT_EQ(ShownCommandName(L"Hand-edited"), L"Hand-edited") << "an unknown name is shown as stored";
  EXPECT_EQ(ShownMediaName(L"Hand-edited"), L"Hand-edited");
}

// The dialog's lists show the language's names; OK stores the name the file has always had.
TEST_F(LanguageTest, PickingAnEnglishNameInTheDialogStoresTheStoredName) {
  class NoUi final : public AssignUi {
   public:
    std::wstring KeyName(int32_t) override { return L"F1"; }
    bool ConfirmMacroDelete(std::wstring_view) override { return false; }
    bool AskYesNo(std::wstring_view) override { return true; }
    void Beep() override {}
  } ui;
  SetLanguage(Language::English);
  const std::vector<std::wstring> shown = FunctionListItems();
  ASSERT_EQ(shown.size(), kCommandTable.size());
  EXPECT_EQ(shown[4], L"Copy (Ctrl+C)");
  EXPECT_EQ(shown[12], L"Maximize (Alt+Space+X)");
  for (size_t row = 0; row < kCommandTable.size(); ++row) {
    AssignDialog dialog(ui);
    dialog.edit().keyCode = 112;
    dialog.edit().kind = AssignKind::Function;
    dialog.edit().displayName = std::wstring(kCommandTable[row].displayName);
    dialog.Open();
    EXPECT_EQ(dialog.view().functionSelection, static_cast<int>(row)) << row;
    dialog.OnOk(MediaNameMap{}, -1, static_cast<int>(row));
    EXPECT_EQ(dialog.edit().displayName, kCommandTable[row].displayName) << row;
  }
}

const std::wstring kFolder = L"C:\\Orvelle\\";
const std::wstring kSetIni = kFolder + L"set.ini";

// A file with a command and a media key, written by the program in either language, comes back
// byte for byte from a start in the other; the language is written once it is chosen, and only then.
TEST_F(LanguageTest, AFileWrittenInOneLanguageLoadsInTheOtherAndSavesAsItWas) {
  MemoryFileStore files;
  files.Put(kFolder + L"Main.ini",
            testing::Utf16File(testing::LayoutText(testing::MakeKeyTable({{1, 112, L"F1"}, {2, 113, L"F2"}}))));
  const std::wstring profile =
      L"IndexPic112=3\nMacroIndex112=0\nSetName112=Копировать\n"
      L"IndexPic113=2\nMacroIndex113=0\nSetName113=Пред. трек\n"
      L"IndexPic0=0\nMacroIndex0=0\nSetName0=\nKey0=0\nMacroStrNum=0\nSetIndexNum=0\n";
  const std::wstring file = L"[TYPE]\ntype=1\n\n[Profile1]\n" + profile + L"\n[Profile2]\n" + profile +
                            L"\n[Profile3]\n" + profile;
  const std::string bytes = testing::Utf16File(file);
  for (Language language : {Language::English, Language::Russian}) {
    files.Put(kSetIni, bytes);
    SetLanguage(language);
    ProfileStore store(files, nullptr, kFolder);
    KeyTable table;
    ProfileSet set;
    InitKeyMaps(set);
    store.Load(table, set);
    EXPECT_EQ(set.Profile(1).records[0].name, L"Копировать");
    EXPECT_TRUE(set.language.empty()) << "nothing chosen";
    set.pending = true;
    store.Save(table, set);
    EXPECT_EQ(*files.Find(kSetIni), bytes) << "saved in " << static_cast<int>(language);

    set.language = L"en";
    store.Save(table, set);
    std::wstring chosen = file;
    chosen.insert(chosen.find(L"type=1\n") + 7, L"Language=en\n");
    EXPECT_EQ(*files.Find(kSetIni), testing::Utf16File(chosen)) << "the choice, and nothing else, added";
    ProfileStore next(files, nullptr, kFolder);
    ProfileSet again;
    InitKeyMaps(again);
    next.Load(table, again);
    EXPECT_EQ(again.language, L"en");
  }
}

#ifdef ORVELLE_SOURCE_DIR
// The number resources/resource.h defines `name` as; -1 when it does not.
int ResourceId(const std::string& name) {
  std::ifstream header(ORVELLE_SOURCE_DIR "/resources/resource.h");
  const std::regex define(R"(#define\s+(\w+)\s+(\d+))");
  std::smatch match;
  for (std::string line; std::getline(header, line);) {
    if (std::regex_search(line, match, define) && match[1] == name) return std::stoi(match[2]);
  }
  return -1;
}

// Every item of the resource script's menus takes its text from the table, so the script does not
// decide the language of any of them.
TEST_F(LanguageTest, EveryMenuItemOfTheResourcesHasItsText) {
  std::ifstream rc(ORVELLE_SOURCE_DIR "/resources/orvelle.rc");
  ASSERT_TRUE(rc) << "resources/orvelle.rc";
  const std::string script((std::istreambuf_iterator<char>(rc)), std::istreambuf_iterator<char>());
  const std::regex item(R"(MENUITEM\s+"[^"]*",\s*(\w+))");
  int items = 0;
  for (auto it = std::sregex_iterator(script.begin(), script.end(), item); it != std::sregex_iterator(); ++it) {
    ++items;
    const std::string name = (*it)[1];
    const int id = ResourceId(name);
    const auto texts = MenuItemTexts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const ItemText& t) { return t.id == id; })) << name;
  }
  EXPECT_GT(items, 10);
  for (Language language : {Language::Russian, Language::English}) {
    EXPECT_EQ(LanguageOfCommand(LanguageCommand(language)), language);
  }
}
#endif

}  // namespace
}  // namespace orvelle

// The assignment dialog as the skin lays it out, and where windows open: decisions the Win32
// side only applies.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "assign/dialog_layout.h"
#include "base/geometry.h"
#include "base/text.h"
#include "model/working_edits.h"
#include "platform/portable/portable_ini.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

TEST(DialogLayout, ButtonSkinsAndBackgrounds) {
  // Entries 1..9 (OK, Cancel, Clear, keyboard, four modes), 24 (hold) and 28 (the "Other" mode)
  // wear the key pictures and cannot be disabled; entries 10..18 (macro editor) and 25 (record key
  // delays) wear the macro pictures and can, as do 29..31, 39 and 42 (the "Other" choices), 41 (all
  // profiles), 44 (turbo, which rests on the "Other" page) and 34 (browse) with the "Other"
  // pictures; the modes, the record button, the check boxes and the choices stay down while
  // selected.
  const auto isOneOf = [](int id, std::initializer_list<int> ids) {
    return std::count(ids.begin(), ids.end(), id) > 0;
  };
  for (const SkinnedButton& b : kSkinnedButtons) {
    const ButtonSkin skin = SkinOfEntry(b.entry);
    const bool keyFaces = b.entry <= 9 || b.id == IDC_HOLD || b.id == IDC_OTHER_MODE;
    const bool otherFaces = isOneOf(b.id, {IDC_DISABLED_CHOICE, IDC_TEXT_CHOICE, IDC_PROGRAM_CHOICE, IDC_BROWSE,
                                           IDC_PROFILE_CHOICE, IDC_ALL_PROFILES, IDC_MOUSE_CHOICE, IDC_TURBO});
    const bool checkBox = isOneOf(b.id, {IDC_HOLD, IDC_KEY_DELAY, IDC_TURBO, IDC_ALL_PROFILES});
    const bool choice = otherFaces && b.id != IDC_BROWSE;
    const bool mode = std::count(kModeButtonIds.begin(), kModeButtonIds.end(), b.id) > 0;
    const bool sticky = checkBox || choice || mode || b.id == IDC_RECORD;
    const DialogPicture normal =
        keyFaces ? DialogPicture::KeyNormal : otherFaces ? DialogPicture::OtherNormal : DialogPicture::MacroNormal;
    const DialogPicture down =
        keyFaces ? DialogPicture::KeyDown : otherFaces ? DialogPicture::OtherDown : DialogPicture::MacroDown;
    EXPECT_EQ(skin.faces[0], normal) << b.entry;
    EXPECT_EQ(skin.faces[2], down) << b.entry;
    EXPECT_EQ(skin.disabledFace.has_value(), !keyFaces) << b.entry;
    if (otherFaces) {
      EXPECT_EQ(skin.disabledFace, DialogPicture::OtherDisable) << b.entry;
    }
    EXPECT_EQ(skin.sticky, sticky) << b.entry;
    // A check box or choice shows at once what a click made of it.
    EXPECT_EQ(skin.toggle, checkBox || choice || b.id == IDC_RECORD) << b.entry;
  }
  const std::pair<int, std::optional<DialogPicture>> backgrounds[] = {
      {0, DialogPicture::KeyNormal},   {1, DialogPicture::MacroNormal}, {2, DialogPicture::Media},
      {3, DialogPicture::Function},
      {4, DialogPicture::OtherNormal}, {5, DialogPicture::OtherNormal}, {6, DialogPicture::OtherNormal},
      {7, DialogPicture::OtherNormal}, {8, DialogPicture::OtherNormal}, {9, std::nullopt},
      {-1, std::nullopt},
  };
  for (const auto& [kind, picture] : backgrounds) {
    EXPECT_EQ(BackgroundOf(EditTarget::KeySlot, KindOfNumber(kind)), picture) << kind;
    EXPECT_EQ(BackgroundOf(EditTarget::MacroTable, KindOfNumber(kind)), DialogPicture::MacroOnly) << kind;
  }
}

TEST(DialogLayout, EveryEntryButTheGapsPlacesOneControl) {
  // Entry 5 and entries 27 and 35 (the loop field's and the arguments field's labels, painted into
  // the pictures) place no control.
  std::map<int, int> controlOfEntry;
  for (const PlacedControl& c : kSkinnedButtons) EXPECT_TRUE(controlOfEntry.emplace(c.entry, c.id).second) << c.entry;
  for (const PlacedControl& c : kPlacedControlIds) EXPECT_TRUE(controlOfEntry.emplace(c.entry, c.id).second) << c.entry;
  for (int entry = 1; entry <= kCompositeEntryCount; ++entry) {
    EXPECT_EQ(controlOfEntry.count(entry), entry == 5 || entry == 27 || entry == 35 ? 0u : 1u) << entry;
  }
  EXPECT_EQ(controlOfEntry.at(24), IDC_HOLD);
  EXPECT_EQ(controlOfEntry.at(25), IDC_KEY_DELAY);
  EXPECT_EQ(controlOfEntry.at(26), IDC_LOOP_COUNT);
  const std::pair<int, int> other[] = {{28, IDC_OTHER_MODE},     {29, IDC_DISABLED_CHOICE}, {30, IDC_TEXT_CHOICE},
                                       {31, IDC_PROGRAM_CHOICE}, {32, IDC_TEXT_FIELD},      {33, IDC_PROGRAM_PATH},
                                       {34, IDC_BROWSE},         {36, IDC_PROGRAM_ARGS},    {39, IDC_PROFILE_CHOICE},
                                       {40, IDC_PROFILE_LIST},   {41, IDC_ALL_PROFILES},    {42, IDC_MOUSE_CHOICE},
                                       {43, IDC_MOUSE_LIST},     {44, IDC_TURBO},           {45, IDC_TURBO_PERIOD},
                                       {46, IDC_TURBO_HINT}};
  for (const auto& [entry, id] : other) EXPECT_EQ(controlOfEntry.at(entry), id) << entry;
}

TEST(DialogLayout, TheViewShowsAndEnablesTheControls) {
  AssignView macroOnly;
  macroOnly.macroControlsVisible = true;
  macroOnly.singleKeyButtonVisible = macroOnly.mediaButtonVisible = macroOnly.functionButtonVisible = false;
  AssignView recording = macroOnly;
  recording.macroEditEnabled = false;
  AssignView noMacros = macroOnly;
  noMacros.stepButtonsEnabled = false;
  AssignView keyMode;
  keyMode.keyFieldVisible = keyMode.holdBoxVisible = true;
  AssignView textChosen;
  textChosen.otherControlsVisible = textChosen.textFieldEnabled = true;
  AssignView programChosen;
  programChosen.otherControlsVisible = programChosen.programFieldsEnabled = true;
  AssignView macroTableAlone = macroOnly;
  macroTableAlone.otherButtonVisible = false;
  AssignView profileChosen;
  profileChosen.otherControlsVisible = profileChosen.gamerChoicesVisible = profileChosen.profileListEnabled = true;
  AssignView olderLayout = profileChosen;  // the "Other" page of a layout without the keys for games
  olderLayout.gamerChoicesVisible = false;
  AssignView leftOther = profileChosen;  // another mode clicked: the page hides, the choices with it
  leftOther.otherControlsVisible = false;
  AssignView turboShown = keyMode;
  turboShown.turboVisible = turboShown.turboBoxShown = true;
  AssignView turboResting = profileChosen;
  turboResting.turboBoxShown = true;
  AssignView turboTicked = turboShown;
  turboTicked.turboFieldEnabled = true;

  struct Case {
    const char* what;
    const AssignView& view;
    int id;
    ControlLook look;
  } cases[] = {
      {"the macro table alone hides the other modes", macroOnly, IDC_SINGLE_KEY, {false, true}},
      {"... but not the macro mode", macroOnly, IDC_MACRO_MODE, {true, true}},
      {"... nor OK", macroOnly, IDC_ASSIGN_OK, {true, true}},
      {"the step list shows with the macro controls", macroOnly, IDC_STEP_LIST, {true, true}},
      {"single-key mode's field stays hidden", macroOnly, IDC_KEY_FIELD, {false, true}},
      {"recording locks the macro names", recording, IDC_MACRO_NAMES, {true, false}},
      {"... and adding a macro", recording, IDC_ADD_MACRO, {true, false}},
      {"... but not the record button that stops it", recording, IDC_RECORD, {true, true}},
      {"without macros the step buttons rest", noMacros, IDC_STEP_UP, {true, false}},
      {"a key mode shows the hold box", keyMode, IDC_HOLD, {true, true}},
      {"... but not the macro's delays box", keyMode, IDC_KEY_DELAY, {false, true}},
      {"... nor its loop field", keyMode, IDC_LOOP_COUNT, {false, true}},
      {"the macro table alone hides the hold box", macroOnly, IDC_HOLD, {false, true}},
      {"the delays box shows with the macro controls", macroOnly, IDC_KEY_DELAY, {true, true}},
      {"... and so does the loop field", macroOnly, IDC_LOOP_COUNT, {true, true}},
      {"recording locks the delays box", recording, IDC_KEY_DELAY, {true, false}},
      {"... and the loop field", recording, IDC_LOOP_COUNT, {true, false}},
      {"the macro table alone hides the \"Other\" mode button", macroTableAlone, IDC_OTHER_MODE, {false, true}},
      {"a key mode hides the \"Other\" page", keyMode, IDC_TEXT_FIELD, {false, false}},
      {"... and its choices", keyMode, IDC_DISABLED_CHOICE, {false, true}},
      {"Text chosen: its field takes typing", textChosen, IDC_TEXT_FIELD, {true, true}},
      {"... the program's path rests", textChosen, IDC_PROGRAM_PATH, {true, false}},
      {"... and so do browse and the arguments", textChosen, IDC_BROWSE, {true, false}},
      {"... but every choice can be clicked", textChosen, IDC_PROGRAM_CHOICE, {true, true}},
      {"Program chosen: path, browse and arguments take input", programChosen, IDC_PROGRAM_ARGS, {true, true}},
      {"... the text field rests", programChosen, IDC_TEXT_FIELD, {true, false}},
      {"Profile chosen: its list takes a choice", profileChosen, IDC_PROFILE_LIST, {true, true}},
      {"... and so does the all-profiles box", profileChosen, IDC_ALL_PROFILES, {true, true}},
      {"... the mouse list rests", profileChosen, IDC_MOUSE_LIST, {true, false}},
      {"... but the Mouse choice can be clicked", profileChosen, IDC_MOUSE_CHOICE, {true, true}},
      {"Text chosen: the all-profiles box rests", textChosen, IDC_ALL_PROFILES, {false, false}},
      {"an older layout shows no Profile choice", olderLayout, IDC_PROFILE_CHOICE, {false, true}},
      {"... nor the mouse list", olderLayout, IDC_MOUSE_LIST, {false, false}},
      {"... but its other choices", olderLayout, IDC_TEXT_CHOICE, {true, true}},
      {"another mode hides the Profile list", leftOther, IDC_PROFILE_LIST, {false, true}},
      {"a key mode without turbo hides the box", keyMode, IDC_TURBO, {false, false}},
      {"turbo shown: the box", turboShown, IDC_TURBO, {true, true}},
      {"Profile chosen: the turbo box rests", turboResting, IDC_TURBO, {true, false}},
      {"... and so does its period", turboResting, IDC_TURBO_PERIOD, {true, false}},
      {"... with its period resting while clear", turboShown, IDC_TURBO_PERIOD, {true, false}},
      {"... and taking typing while ticked", turboTicked, IDC_TURBO_PERIOD, {true, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(LookOf(c.view, c.id), c.look) << c.what;
  for (int id : {IDC_HOLD, IDC_KEY_DELAY, IDC_LOOP_COUNT, IDC_OTHER_MODE, IDC_TEXT_FIELD, IDC_BROWSE, IDC_PROFILE_CHOICE,
                 IDC_MOUSE_CHOICE, IDC_PROFILE_LIST, IDC_MOUSE_LIST, IDC_ALL_PROFILES, IDC_TURBO, IDC_TURBO_PERIOD}) {
    EXPECT_EQ(std::count(kViewBoundControlIds.begin(), kViewBoundControlIds.end(), id), 1) << id;
  }
  EXPECT_EQ(ControlOfFocus(DialogFocus::MacroNames), IDC_MACRO_NAMES);
  EXPECT_EQ(ControlOfFocus(DialogFocus::TextField), IDC_TEXT_FIELD);
  EXPECT_EQ(ControlOfFocus(DialogFocus::ProgramPath), IDC_PROGRAM_PATH);
  EXPECT_EQ(ControlOfFocus(DialogFocus::None), 0);
}

TEST(DialogLayout, CompositeLayoutSaturatesAndLeavesMissingEntriesEmpty) {
  testing::TempFolder folder;
  const std::wstring path = folder.WriteUtf16(
      L"Composite.ini", L"[BUTTONINFO]\n1=10,20,30,40\n2=2147483600,0,100,-5\n19=-2147483648,5,-1,abc\n26=7,8,9,10\n");
  PortableIni ini;
  const CompositeLayout layout = LoadCompositeLayout(ini, path);
  EXPECT_EQ(layout[0], (Rect{10, 20, 40, 60}));
  EXPECT_EQ(layout[1], (Rect{2147483600, 0, INT32_MAX, -5}));
  EXPECT_EQ(layout[18], (Rect{INT32_MIN, 5, INT32_MIN, 5}));
  EXPECT_EQ(layout[2], Rect{}) << "no entry 3: nothing placed";
  EXPECT_EQ(layout[25], (Rect{7, 8, 16, 18})) << "entry 26, the loop field";
  for (const size_t missing : {23u, 24u, 26u}) EXPECT_EQ(layout[missing], Rect{}) << "no entry " << missing + 1;
  EXPECT_EQ(layout[1].Width(), 47);
}

TEST(DialogLayout, OnlyALayoutThatPlacesTheWholeOtherPageOffersTheMode) {
  // Entries 1..27 as a layout made before the mode existed, then what each case adds.
  std::wstring older = L"[BUTTONINFO]\n";
  for (int entry = 1; entry <= 27; ++entry) older += FormatInt(entry) + L"=10,10,20,20,Part\n";
  const std::wstring page = L"28=360,54,104,36,Other\n29=40,146,132,30,Disabled\n30=40,186,132,30,Text\n"
                            L"31=40,272,132,30,Program\n32=188,186,372,56,TextField\n"
                            L"33=188,275,268,24,ProgramPath\n34=464,273,96,28,Browse\n";
  const std::wstring arguments = L"36=188,316,372,24,Arguments\n";
  struct Case {
    const char* what;
    std::wstring text;
    bool offered;
  } cases[] = {
      {"a layout from before the mode", older, false},
      {"the whole page; the painted label 35 is no control", older + page + arguments, true},
      {"the arguments field missing", older + page, false},
      {"an entry that places nothing", older + page + L"36=188,316,0,24,Arguments\n", false},
  };
  testing::TempFolder folder;
  for (const Case& c : cases) {
    PortableIni ini;
    EXPECT_EQ(PlacesOtherMode(LoadCompositeLayout(ini, folder.WriteUtf16(L"Composite.ini", c.text))), c.offered)
        << c.what;
  }
}

TEST(DialogLayout, OnlyALayoutThatPlacesEveryControlForGamesShowsThem) {
  // Entries 1..`last`, each placing something but `empty`, which is there and places nothing.
  const auto layoutText = [](int last, int empty) {
    std::wstring text = L"[BUTTONINFO]\n";
    for (int entry = 1; entry <= last; ++entry) {
      text += FormatInt(entry) + (entry == empty ? L"=40,352,0,30,Part\n" : L"=40,352,132,30,Part\n");
    }
    return text;
  };
  struct Case {
    const char* what;
    std::wstring text;
    bool shown;
  } cases[] = {
      {"a layout from before them", layoutText(38, 0), false},
      {"every entry", layoutText(46, 0), true},
      {"the turbo notice missing", layoutText(45, 0), false},
      {"the period field places nothing", layoutText(46, 45), false},
      {"the Profile choice places nothing", layoutText(46, 39), false},
      {"without the \"Other\" page they sit on", layoutText(46, 36), false},
  };
  testing::TempFolder folder;
  for (const Case& c : cases) {
    PortableIni ini;
    EXPECT_EQ(PlacesGamerControls(LoadCompositeLayout(ini, folder.WriteUtf16(L"Composite.ini", c.text))), c.shown)
        << c.what;
  }
}

TEST(WindowPlace, CentredOnTheWorkAreaAndKeptOnIt) {
  struct Case {
    Rect area;
    int width, height;
    Point origin;
  } cases[] = {
      {{0, 0, 1024, 738}, 800, 400, {112, 169}},        // centred
      {{1920, 0, 3840, 1040}, 800, 400, {2480, 320}},   // on a second monitor
      {{0, 0, 1024, 738}, 1200, 900, {0, 0}},           // larger: the top-left corner stays on it
      {{-1280, 100, 0, 1124}, 640, 480, {-960, 372}},   // left of the primary, below a top taskbar
  };
  for (const Case& c : cases) EXPECT_EQ(CentredOrigin(c.area, c.width, c.height), c.origin) << c.width;
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

TEST(DialogLayout, TheDialogOpensWhereItFirstOpenedWhileItFitsThere) {
  const Rect work{0, 0, 1024, 748};  // a taskbar of 20 pixels at the bottom
  struct Case {
    const char* what;
    std::optional<Point> earlier;
    Rect workArea;
    Point place;
  } cases[] = {
      {"the first opening: centred", std::nullopt, work, {212, 162}},
      {"the work area shrank since: the same place", Point{212, 172}, work, {212, 172}},
      {"grew since: the same place", Point{212, 162}, Rect{0, 0, 1024, 768}, {212, 162}},
      {"it would reach under the taskbar: centred again", Point{212, 340}, work, {212, 162}},
      {"another monitor's work area: centred on it", Point{212, 162}, Rect{1024, 0, 2048, 768}, {1236, 172}},
      {"a work area smaller than the dialog: its top left corner", std::nullopt, Rect{0, 0, 500, 300}, {0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(OpeningPlace(c.earlier, 600, 424, c.workArea), c.place) << c.what;
}

TEST(DialogLayout, StepColumnsGiveTheirWordsRoomAndTheKeyTheRest) {
  struct Case {
    const char* what;
    int width, actionNeeds, delayNeeds;
    std::array<int, 3> widths;
  } cases[] = {
      {"room for all: the key column takes what is left", 200, 60, 50, {90, 60, 50}},
      {"exactly a third left for the key", 150, 50, 50, {50, 50, 50}},
      {"long words: the key keeps a third, the others share the rest by need", 150, 80, 40, {50, 66, 34}},
      {"a list with no width yet", 0, 60, 50, {0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(StepColumnWidths(c.width, c.actionNeeds, c.delayNeeds), c.widths) << c.what;
}

}  // namespace
}  // namespace orvelle

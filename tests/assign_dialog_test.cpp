// The key assignment dialog's logic: button faces, key capture, modes, the macro editor,
// recording and what OK commits.
#include <gtest/gtest.h>

#include <bitset>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "assign/assign_dialog.h"
#include "assign/dialog_layout.h"
#include "assign/field_input.h"
#include "assign/recording.h"
#include "assign/step_moves.h"
#include "base/text.h"
#include "base/texts.h"
#include "controls/bit_button.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

// What the step list shows for a press and a release, in the language the tests run in.
std::wstring Down() { return std::wstring(Text(TextId::StepDown)); }
std::wstring Up() { return std::wstring(Text(TextId::StepUp)); }

TEST(BitButton, FaceFollowsStateFlagsAndStickiness) {
  struct Case {
    bool sticky, selected, disabled;
    ButtonState state;
    ButtonFace face;
  } cases[] = {
      {false, false, true, ButtonState::Pressed, ButtonFace::Disabled},
      {true, true, true, ButtonState::Idle, ButtonFace::Disabled},
      {false, false, false, ButtonState::Idle, ButtonFace::Normal},
      {false, true, false, ButtonState::Idle, ButtonFace::Normal},
      {true, true, false, ButtonState::Idle, ButtonFace::Pressed},
      {true, false, false, ButtonState::Idle, ButtonFace::Normal},
      {true, true, false, ButtonState::Hover, ButtonFace::Hover},
      {false, false, false, ButtonState::Pressed, ButtonFace::Pressed},
  };
  for (const Case& c : cases) {
    BitButtonModel b;
    b.sticky = c.sticky;
    b.selected = c.selected;
    b.state = c.state;
    EXPECT_EQ(ChooseFace(b, c.disabled), c.face);
  }
  BitButtonModel sticky;
  sticky.sticky = true;
  sticky.OnPress();
  sticky.OnRelease(false);
  EXPECT_FALSE(sticky.selected) << "pressed, dragged off and released elsewhere: no click";
  sticky.OnPress();
  sticky.OnRelease(true);
  sticky.OnLeave();
  EXPECT_EQ(ChooseFace(sticky, false), ButtonFace::Pressed) << "released over itself: stays selected";
  sticky.OnPress();
  sticky.OnRelease(false);
  EXPECT_TRUE(sticky.selected) << "the selected mode tab dragged off stays the selected mode";
  EXPECT_EQ(ChooseFace(sticky, false), ButtonFace::Pressed);
}

TEST(BitButton, ATogglesSelectionShowsUnderThePointerAndWhileDisabled) {
  // The record button while recording, a ticked check box, a chosen choice.
  struct Case {
    const char* what;
    bool selected, disabled;
    ButtonState state;
    ButtonFace face;
  } cases[] = {
      {"recording, the pointer resting on it", true, false, ButtonState::Hover, ButtonFace::Pressed},
      {"ticked and locked while a recording runs", true, true, ButtonState::Idle, ButtonFace::Pressed},
      {"ticked, at rest", true, false, ButtonState::Idle, ButtonFace::Pressed},
      {"clear, under the pointer", false, false, ButtonState::Hover, ButtonFace::Hover},
      {"clear and locked", false, true, ButtonState::Idle, ButtonFace::Disabled},
      {"clear, at rest", false, false, ButtonState::Idle, ButtonFace::Normal},
  };
  for (const Case& c : cases) {
    BitButtonModel b;
    b.sticky = b.toggle = true;
    b.selected = c.selected;
    b.state = c.state;
    EXPECT_EQ(ChooseFace(b, c.disabled), c.face) << c.what;
  }
}

TEST(KeyCapture, KeyNameParameterAndKeypadCodes) {
  EXPECT_EQ(KeyNameParameter(0x1E, 0x00), 0x001E0000);
  EXPECT_EQ(KeyNameParameter(0x1E, 0x80), -2145517568);  // 0x801E0000
  EXPECT_EQ(KeyNameParameter(0x36, 0x01), 0x00360000) << "right Shift reported as extended";
  EXPECT_EQ(KeyNameParameter(0x36, 0x81), static_cast<int32_t>(0x81360000u));
  EXPECT_EQ(KeyNameParameter(0x1C, 0x01), 0x011C0000);

  struct Case {
    int vk;
    uint32_t flags;
    int recorded;
  } cases[] = {
      {13, 0x01, 108}, {13, 0x81, 108}, {13, 0x00, 13},  {13, 0x21, 13},  // keypad vs main Enter
      {36, 0x00, 103}, {36, 0x80, 103}, {36, 0x01, 36},  {36, 0x81, 36},  // keypad 7 vs Home
      {33, 0x00, 105}, {34, 0x00, 99},  {35, 0x00, 97},  {37, 0x00, 100}, {38, 0x00, 104},
      {39, 0x00, 102}, {40, 0x00, 98},  {45, 0x00, 96},  {46, 0x00, 110}, {46, 0x10, 46},
      {12, 0x00, 12},  {65, 0x00, 65},
  };
  for (const Case& c : cases) EXPECT_EQ(RecordedKeyCode(c.vk, c.flags), c.recorded) << c.vk << "/" << c.flags;
}

TEST(RecordingHook, TheQueueHandsEventsFromTheHookThreadToTheDialogInOrder) {
  // The hook pushes on its own thread while the dialog pops on the window's: nothing is lost
  // or reordered while there is room, and a full queue refuses rather than overwriting.
  RecordedKeyQueue keys;
  constexpr uint32_t kEvents = 20000;
  std::thread hook([&] {
    for (uint32_t i = 0; i < kEvents; ++i) {
      while (!keys.Push(RecordedKey{true, 65, 0x1E, 0, i})) std::this_thread::yield();
    }
  });
  uint32_t expected = 0, outOfOrder = 0;
  RecordedKey key;
  while (expected < kEvents) {
    if (!keys.Pop(key)) {
      std::this_thread::yield();
      continue;
    }
    outOfOrder += key.time != expected ? 1 : 0;
    ++expected;
  }
  hook.join();
  EXPECT_EQ(outOfOrder, 0u);
  EXPECT_EQ(keys.size(), 0u);
  for (size_t i = 0; i < RecordedKeyQueue::kCapacity; ++i) ASSERT_TRUE(keys.Push(RecordedKey{}));
  keys.Clear();
  EXPECT_EQ(keys.size(), 0u) << "the dialog's Clear drops what waits";
  EXPECT_FALSE(keys.Pop(key));
}

TEST(RecordingHook, PassesTheRepeatsAndReleasesOfKeysDownWhenItCameIn) {
  // One event: a key code, pressed or released, and whether it is our own output.
  struct Event {
    int vk;
    bool press;
    bool own = false;
  };
  struct Case {
    const char* what;
    std::vector<int> downAtInstall;
    std::vector<Event> events;
    std::string verdicts;  // one per event: P passes to the system, S is swallowed
  };
  const Case cases[] = {
      {"a key down at install: its auto-repeats and its release pass",
       {65},
       {{65, true}, {65, true}, {65, false}},
       "PPP"},
      {"once released, the key is the dialog's again",
       {65},
       {{65, false}, {65, true}, {65, true}, {65, false}},
       "PSSS"},
      {"a key up at install: press, auto-repeat and release are swallowed",
       {},
       {{66, true}, {66, true}, {66, false}},
       "SSS"},
      {"each key down at install on its own, the others swallowed around them",
       {160, 17},
       {{65, true}, {160, true}, {65, false}, {160, false}, {17, false}, {160, true}, {160, false}},
       "SPSPPSS"},
      {"a release whose press came before the hook but was never down to the system is swallowed",
       {},
       {{66, false}},
       "S"},
      {"our own output passes; its release of a key down at install ends that key's passage",
       {17},
       {{17, false, true}, {17, true}, {17, false}},
       "PSS"},
      {"our own press and release pass and leave a key of the user's swallowed",
       {},
       {{90, true, true}, {90, true}, {90, false, true}, {90, false}},
       "PSPS"},
      {"codes beyond the key table: only our own output passes",
       {},
       {{300, true}, {300, false, true}, {-1, false}},
       "SPS"},
  };
  for (const Case& c : cases) {
    std::bitset<256> down;
    for (int vk : c.downAtInstall) down.set(static_cast<size_t>(vk));
    PassedKeys passed;
    passed.Reset(down);
    std::string verdicts;
    for (const Event& e : c.events) verdicts += passed.Passes(e.vk, e.press, e.own) ? 'P' : 'S';
    EXPECT_EQ(verdicts, c.verdicts) << c.what;
  }

  // Installed again: what passes is what the system holds down then, and nothing from before.
  PassedKeys passed;
  passed.Reset(std::bitset<256>().set(65));
  passed.Reset(std::bitset<256>().set(66));
  EXPECT_FALSE(passed.Passes(65, false, false));
  EXPECT_TRUE(passed.Passes(66, false, false));
}

class ScriptedAssignUi final : public AssignUi {
 public:
  std::wstring KeyName(int32_t p) override { return L"key" + std::to_wstring((static_cast<uint32_t>(p) >> 16) & 0xFF); }
  bool ConfirmMacroDelete(std::wstring_view text) override {
    questions.emplace_back(text);
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  // Yes unless a "no" is scripted.
  bool AskYesNo(std::wstring_view question) override {
    yesNoQuestions.emplace_back(question);
    if (yesNoAnswers.empty()) return true;
    const bool a = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return a;
  }
  void Beep() override { ++beeps; }
  std::deque<bool> answers, yesNoAnswers;
  std::vector<std::wstring> questions, yesNoQuestions;
  int beeps = 0;
};

class AssignDialogTest : public ::testing::Test {
 protected:
  // Opens the dialog for key 112 (F1) of kind `kind`, with macros m0 (A) and m1 (B, C).
  void OpenFor(AssignKind kind, std::wstring name = L"F1", int macroIndex = 0,
               EditTarget target = EditTarget::KeySlot) {
    AssignEdit& e = dialog.edit();
    e.target = target;
    e.keyCode = 112;
    e.kind = kind;
    e.macroIndex = macroIndex;
    e.displayName = std::move(name);
    e.macros.list = {testing::MacroOf(L"m0", {0x1E0000, 65, 1, static_cast<int>(0x801E0000u), 65, 0}),
                     testing::MacroOf(L"m1", {0x300000, 66, 1, 0x2E0000, 67, 1})};
    e.macros.indexMap = {{113, 1}};
    dialog.Open();
  }
  void Press(int vk, uint32_t scan, uint32_t flags = 0) { dialog.OnHookKeyEvent(true, vk, scan, flags, 0); }
  void Release(int vk, uint32_t scan, uint32_t flags = 0x80) { dialog.OnHookKeyEvent(false, vk, scan, flags, 0); }
  // "Macro..": the macro table alone.
  void OpenMacroTable(int macroIndex = 0) { OpenFor(AssignKind::Macro, L"", macroIndex, EditTarget::MacroTable); }
  // OK, and the key's entry settled from the edit as the model commits it.
  void Ok(int media = -1, int function = -1) {
    dialog.OnOk(media_, media, function);
    SettleKeyEntry(keyMap, dialog.edit());
  }

  ScriptedAssignUi ui;
  AssignDialog dialog{ui};
  KeyMap keyMap = IdentityKeyMap();
  MediaNameMap media_{{L"Воспр./Пауза", 179}};
};

TEST_F(AssignDialogTest, OpeningShowsTheModeHandedOver) {
  OpenFor(AssignKind::SingleKey, L"Esc");
  EXPECT_TRUE(dialog.view().keyFieldVisible);
  EXPECT_EQ(dialog.view().keyFieldText, L"Esc");
  EXPECT_TRUE(dialog.view().recordingHook);
  EXPECT_TRUE(dialog.view().modeButtons[0].selected);

  OpenFor(AssignKind::Media, L"WWW");
  EXPECT_EQ(dialog.view().mediaSelection, 3) << "the first item after item 0 beginning with the name";
  EXPECT_FALSE(dialog.view().recordingHook);
  OpenFor(AssignKind::Function, L"Nothing like it");
  EXPECT_EQ(dialog.view().functionSelection, -1);
  OpenFor(AssignKind::Function, L"развернуть");
  EXPECT_EQ(dialog.view().functionSelection, 12);

  OpenFor(AssignKind::Macro, L"m1", 1);
  EXPECT_EQ(dialog.view().macroItems, (std::vector<std::wstring>{L"m0", L"m1"}));
  EXPECT_EQ(dialog.view().macroSelection, 1);
  EXPECT_EQ(dialog.view().stepRows, (std::vector<StepRow>{{L"key48", Down(), L""}, {L"key46", Down(), L""}}));

  OpenMacroTable(5);
  EXPECT_FALSE(dialog.view().singleKeyButtonVisible);
  EXPECT_FALSE(dialog.view().mediaButtonVisible);
  EXPECT_TRUE(dialog.view().macroControlsVisible);
  EXPECT_EQ(dialog.view().macroSelection, -1) << "a macro index past the table selects nothing";
  dialog.OnMacroButton();
  dialog.OnClear();
  EXPECT_EQ(dialog.target(), EditTarget::MacroTable) << "macro button and Clear do nothing in macro-only mode";
  EXPECT_EQ(dialog.kind(), AssignKind::Macro) << "macro button and Clear do nothing in macro-only mode";
}

TEST_F(AssignDialogTest, SingleKeyCapturesTheLastKeyPressed) {
  OpenFor(AssignKind::SingleKey);
  Press(65, 0x1E);
  Release(65, 0x1E);
  Press(13, 0x1C, 0x01);  // keypad Enter
  EXPECT_EQ(dialog.capturedKeyCode(), 108);
  EXPECT_EQ(dialog.view().keyFieldText, L"key28");
  Ok();
  EXPECT_EQ(keyMap.at(112), OutputSequence{108});
  EXPECT_EQ(dialog.edit().displayName, L"key28");
  EXPECT_FALSE(dialog.view().recordingHook) << "OK removes the recording hook";
}

TEST_F(AssignDialogTest, OkCommitsEachKind) {
  struct Case {
    const char* what;
    AssignKind kind;
    std::function<void()> act;
    int media, function;
    OutputSequence sequence;
    std::wstring name;
    AssignKind kindAfter;
    bool keyPlaysMacro;
  };
  const Case cases[] = {
      {"function Копировать", AssignKind::Function, [] {}, -1, 4, {17, 67}, L"Копировать", AssignKind::Function, false},
      {"function Масштаб +", AssignKind::Function, [] {}, -1, 9, {17, 107}, L"Масштаб +", AssignKind::Function, false},
      {"no function selected: the key sends itself, not nothing", AssignKind::Function, [] {}, -1, -1, {112}, L"", AssignKind::Function, false},
      {"media", AssignKind::Media, [] {}, 0, -1, {179}, L"Воспр./Пауза", AssignKind::Media, false},
      {"unknown media leaves the key and its macro", AssignKind::Media, [] {}, 1, -1, {112}, L"Пред. трек", AssignKind::Media, true},
      {"macro m1 plays its down steps", AssignKind::Macro, [this] { dialog.SelectMacro(1); }, -1, -1, {66, 67}, L"m1", AssignKind::Macro, true},
      {"macro without a press: the key sends itself", AssignKind::Macro, [this] { dialog.AddMacro(); }, -1, -1, {112}, L"define0", AssignKind::Macro,
       true},
      {"macro mode without macros", AssignKind::Macro,
       [this] {
         ui.answers = {true, true};
         dialog.DeleteMacro();
         dialog.DeleteMacro();
       },
       -1, -1, {112}, L"", AssignKind::SingleKey, false},
      {"clear in macro mode returns the key to itself", AssignKind::Macro, [this] { dialog.OnClear(); }, -1, -1, {112}, L"", AssignKind::SingleKey, false},
  };
  for (const Case& c : cases) {
    keyMap = IdentityKeyMap();
    OpenFor(c.kind, L"", 0);
    dialog.edit().macros.indexMap[112] = 0;  // the key played macro 0 before
    c.act();
    Ok(c.media, c.function);
    EXPECT_EQ(keyMap.at(112), c.sequence) << c.what;
    EXPECT_EQ(dialog.edit().displayName, c.name) << c.what;
    EXPECT_EQ(dialog.edit().kind, c.kindAfter) << c.what;
    EXPECT_EQ(dialog.edit().macros.indexMap.count(112) == 1, c.keyPlaysMacro) << c.what;
  }
}

TEST_F(AssignDialogTest, MacroOnlyOkChangesNoKey) {
  OpenMacroTable();
  dialog.AddMacro();
  Ok();
  EXPECT_EQ(keyMap, IdentityKeyMap());
}

TEST_F(AssignDialogTest, AKeyRecordedIntoAMacroNeverBecomesWhatTheSingleKeySends) {
  OpenFor(AssignKind::SingleKey);
  Press(75, 0x25);  // K, shown in the key field
  Release(75, 0x25);
  dialog.OnMacroButton();
  dialog.OnRecordButton(1);
  Press(74, 0x24);  // J, recorded
  Release(74, 0x24);
  dialog.OnRecordButton(1);
  dialog.OnSingleKeyButton();
  EXPECT_EQ(dialog.view().keyFieldText, L"key37");
  Ok();
  EXPECT_EQ(keyMap.at(112), OutputSequence{75}) << "what the dialog showed at OK";
  EXPECT_EQ(dialog.edit().displayName, L"key37");
}

TEST_F(AssignDialogTest, ModeButtonsSwitchAndKeepTheHookAsTheyFindIt) {
  OpenFor(AssignKind::SingleKey);
  dialog.OnMediaButton();
  EXPECT_TRUE(dialog.view().recordingHook) << "coming from single-key mode the hook stays";
  EXPECT_TRUE(dialog.view().mediaListVisible);
  const int captured = dialog.capturedKeyCode();
  Press(65, 0x1E);
  EXPECT_EQ(dialog.capturedKeyCode(), captured) << "multimedia mode captures nothing";
  EXPECT_EQ(dialog.view().keyFieldText, L"F1") << "multimedia mode does not write the key field";
  dialog.OnMacroButton();
  EXPECT_FALSE(dialog.view().recordingHook);
  EXPECT_EQ(dialog.view().macroSelection, 0);
  EXPECT_TRUE(dialog.view().modeButtons[1].selected);
  EXPECT_FALSE(dialog.view().modeButtons[2].selected);
  dialog.SelectMacro(1);
  dialog.OnFunctionButton();
  EXPECT_EQ(dialog.edit().macroIndex, 0) << "the function button resets the chosen macro";
  dialog.OnMacroButton();
  EXPECT_EQ(dialog.view().macroSelection, 0);
  dialog.OnCancel();
  EXPECT_EQ(dialog.capturedKeyCode(), 112);
  EXPECT_EQ(dialog.view().keyFieldText, L"");
}

TEST_F(AssignDialogTest, MacroEditorAddsRenamesAndDeletes) {
  OpenMacroTable();
  dialog.AddMacro();
  dialog.AddMacro();
  EXPECT_EQ(testing::MacroNames(dialog.edit().macros), (std::vector<std::wstring>{L"m0", L"m1", L"define0", L"define1"}));
  dialog.DeleteMacro();  // define1, played by nobody: no question
  dialog.AddMacro();
  EXPECT_EQ(dialog.edit().macros.list.back().name, L"define2");
  EXPECT_TRUE(ui.questions.empty());

  // Key 113 plays m1: deleting m0 asks nothing and moves its entry down to 0.
  dialog.SelectMacro(0);
  dialog.DeleteMacro();
  EXPECT_EQ(dialog.edit().macros.indexMap.at(113), 0);
  EXPECT_EQ(dialog.edit().macros.list[0].name, L"m1");
  EXPECT_EQ(dialog.view().macroSelection, 0);

  // Deleting m1 asks; Cancel keeps everything, OK removes the key's entry.
  dialog.DeleteMacro();
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(dialog.edit().macros.list.size(), 3u);
  ui.answers = {true};
  dialog.DeleteMacro();
  EXPECT_EQ(dialog.edit().macros.indexMap.count(113), 0u);
  EXPECT_EQ(testing::MacroNames(dialog.edit().macros), (std::vector<std::wstring>{L"define0", L"define2"}));

  // Renaming writes through at once; the drop-down follows when the box loses the focus.
  dialog.RenameMacro(L"Fire");
  EXPECT_EQ(dialog.edit().macros.list[0].name, L"Fire");
  EXPECT_EQ(dialog.view().macroItems[0], L"define0");
  dialog.RefillMacroNames();
  EXPECT_EQ(dialog.view().macroItems[0], L"Fire");

  dialog.DeleteMacro();
  dialog.DeleteMacro();
  EXPECT_TRUE(dialog.view().macroItems.empty());
  EXPECT_EQ(dialog.view().macroFieldText, L"");
  EXPECT_FALSE(dialog.view().stepButtonsEnabled);
  EXPECT_EQ(dialog.edit().macroIndex, -1);
  dialog.AddMacro();
  EXPECT_TRUE(dialog.view().stepButtonsEnabled);
  EXPECT_EQ(dialog.view().macroSelection, 0);
}

TEST_F(AssignDialogTest, StepListEditing) {
  OpenFor(AssignKind::Macro);
  dialog.edit().macros.list[0].steps = testing::Steps({1, 65, 1, 2, 66, 1, 3, 67, 0, 4, 68, 7});
  dialog.SelectMacro(0);
  EXPECT_EQ(dialog.view().stepRows.back().action, Up()) << "any direction but 1 shows a release";
  dialog.DeleteStep(1);
  EXPECT_EQ(dialog.edit().macros.list[0].steps, (testing::Steps({1, 65, 1, 3, 67, 0, 4, 68, 7})));
  EXPECT_EQ(dialog.view().stepSelection, 1) << "the row that followed is selected";
  dialog.DeleteStep(2);
  EXPECT_EQ(dialog.view().stepSelection, -1) << "after the last row nothing is selected";
  dialog.ClearSteps();
  EXPECT_TRUE(dialog.edit().macros.list[0].steps.empty());
  EXPECT_EQ(dialog.edit().macros.list[0].name, L"m0");
}

TEST_F(AssignDialogTest, RecordingTakesPressesOnceAndKeypadKeysByTheirCodes) {
  OpenFor(AssignKind::Macro);
  dialog.AddMacro();
  dialog.OnRecordButton(0);  // NumLock off: a notice in the dialog, and recording starts all the same
  EXPECT_EQ(dialog.view().recordNotice, Text(TextId::NumLockOffNotice));
  EXPECT_TRUE(ui.questions.empty() && ui.yesNoQuestions.empty()) << "no message box";
  EXPECT_TRUE(dialog.recording());
  EXPECT_FALSE(dialog.view().macroEditEnabled);
  EXPECT_TRUE(dialog.view().recordingHook);
  EXPECT_TRUE(dialog.view().recordButton.selected);

  Release(66, 0x30);  // released before recording started
  Press(160, 0x2A);   // left Shift, A held with auto-repeat, released in reverse order
  Press(65, 0x1E);
  Press(65, 0x1E);
  Press(65, 0x1E);
  Release(65, 0x1E);
  Release(160, 0x2A);
  Press(36, 0x47);  // keypad 7 with NumLock off
  Release(36, 0x47);
  Press(36, 0x47, 0x01);  // the Home key
  Release(36, 0x47, 0x81);
  Press(161, 0x36, 0x01);  // right Shift reported as extended
  EXPECT_EQ(dialog.edit().macros.list.back().steps,
            (testing::Steps({static_cast<int>(0x80300000u), 66, 0,                                  //
                        0x2A0000, 160, 1, 0x1E0000, 65, 1, static_cast<int>(0x801E0000u), 65, 0,  //
                        static_cast<int>(0x802A0000u), 160, 0,                                 //
                        0x470000, 103, 1, static_cast<int>(0x80470000u), 103, 0,               //
                        0x01470000, 36, 1, static_cast<int>(0x81470000u), 36, 0,               //
                        0x00360000, 161, 1})));
  EXPECT_EQ(dialog.view().stepRows.size(), 10u);

  dialog.OnRecordButton(1);
  EXPECT_FALSE(dialog.recording());
  EXPECT_FALSE(dialog.view().recordingHook);
  EXPECT_FALSE(dialog.view().recordButton.selected);
  EXPECT_TRUE(dialog.view().macroEditEnabled);
  EXPECT_EQ(dialog.view().recordNotice, L"") << "stopped with NumLock on: the notice goes";
  dialog.OnRecordButton(1);
  dialog.OnRecordButton(0);
  EXPECT_EQ(dialog.view().recordNotice, Text(TextId::NumLockOffNotice)) << "stopped with NumLock off";
  dialog.OnMediaButton();
  EXPECT_FALSE(NoticeLook(dialog.view(), IDC_RECORD_NOTICE).shown) << "it shows with the macro controls only";
}

TEST_F(AssignDialogTest, EnteringAModeEndsTheRecording) {
  struct Case {
    const char* mode;
    void (AssignDialog::*enter)();
    bool hookAfter;  // single-key mode puts its own hook back
  };
  const Case cases[] = {
      {"single key", &AssignDialog::OnSingleKeyButton, true}, {"macro again", &AssignDialog::OnMacroButton, false},
      {"multimedia", &AssignDialog::OnMediaButton, false},    {"function", &AssignDialog::OnFunctionButton, false},
      {"other", &AssignDialog::OnOtherButton, false},
  };
  for (const Case& c : cases) {
    OpenFor(AssignKind::Macro);  // each case's macros untimed, whatever the one before recorded
    dialog.AddMacro();
    dialog.OnRecordButton(1);
    ASSERT_TRUE(dialog.recording()) << c.mode;
    (dialog.*c.enter)();
    const AssignView& v = dialog.view();
    EXPECT_FALSE(dialog.recording()) << c.mode;
    EXPECT_FALSE(v.recordButton.selected) << c.mode << ": the record button shows no recording";
    EXPECT_TRUE(v.macroEditEnabled) << c.mode << ": the macro editor is usable again";
    EXPECT_EQ(v.recordingHook, c.hookAfter) << c.mode;

    // Back in macro mode, nothing is left of the recording: the delays box answers, and one
    // click on Record starts a new recording.
    dialog.OnMacroButton();
    const bool delaysBox = v.keyDelayBox.selected;
    dialog.ToggleKeyDelays();
    EXPECT_NE(v.keyDelayBox.selected, delaysBox) << c.mode;
    dialog.OnRecordButton(1);
    EXPECT_TRUE(dialog.recording()) << c.mode << ": one click records again";
    EXPECT_TRUE(v.recordButton.selected) << c.mode;
    EXPECT_FALSE(v.macroEditEnabled) << c.mode;
    EXPECT_TRUE(v.recordingHook) << c.mode;
    const size_t rows = v.stepRows.size();
    Press(65, 0x1E);
    ASSERT_EQ(v.stepRows.size(), rows + 1) << c.mode;
    EXPECT_EQ(v.stepRows.back().key, L"key30") << c.mode;
  }
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

TEST_F(AssignDialogTest, AModeButtonClickedAgainAsksForTheFocusAgain) {
  OpenFor(AssignKind::SingleKey);
  dialog.OnMediaButton();
  const int asked = dialog.view().focusRequests;
  EXPECT_EQ(dialog.view().focus, DialogFocus::MediaList);
  dialog.OnMediaButton();  // the user had clicked into another control meanwhile
  EXPECT_EQ(dialog.view().focusRequests, asked + 1);
  EXPECT_EQ(dialog.view().focus, DialogFocus::MediaList);
}

TEST_F(AssignDialogTest, RecordedKeyMessagesTakeOnlyWhatOurHookLeft) {
  OpenFor(AssignKind::Macro);
  dialog.AddMacro();
  dialog.OnRecordButton(1);
  RecordedKeyQueue keys;
  ASSERT_TRUE(keys.Push({true, 65, 0x1E, 0x00}));
  ASSERT_TRUE(keys.Push({false, 65, 0x1E, 0x80}));

  // Sent from another thread or program: never ours, whatever it carries.
  EXPECT_FALSE(dialog.TakeRecordedKeys(keys, true));
  EXPECT_EQ(keys.size(), 2u);
  EXPECT_TRUE(dialog.edit().macros.list.back().steps.empty());

  EXPECT_TRUE(dialog.TakeRecordedKeys(keys, false));
  EXPECT_EQ(keys.size(), 0u);
  EXPECT_EQ(dialog.edit().macros.list.back().steps, (testing::Steps({0x1E0000, 65, 1, static_cast<int>(0x801E0000u), 65, 0})));

  // A stray message with nothing queued changes nothing.
  EXPECT_TRUE(dialog.TakeRecordedKeys(keys, false));
  EXPECT_EQ(dialog.view().stepRows.size(), 2u);

  // A dialog far behind loses events rather than the queue growing.
  for (size_t i = 0; i < RecordedKeyQueue::kCapacity; ++i) ASSERT_TRUE(keys.Push({true, 66, 0x30, 0}));
  EXPECT_FALSE(keys.Push({true, 67, 0x2E, 0}));
}

TEST_F(AssignDialogTest, RecordingForgetsHeldKeysAtStartAndStopsAtTheLongestMacro) {
  OpenFor(AssignKind::Macro);
  dialog.AddMacro();
  dialog.OnRecordButton(1);
  Press(65, 0x1E);
  dialog.OnRecordButton(1);  // stopped with A still down; A is let go while nothing records
  dialog.OnRecordButton(1);
  Press(65, 0x1E);
  EXPECT_EQ(DownStepKeyCodes(dialog.edit().macros.list.back().steps), (OutputSequence{65, 65}))
      << "the second press is a new press, not an auto-repeat";

  dialog.ClearSteps();
  for (int tap = 0; tap < kMaxMacroSteps; ++tap) {
    Press(66, 0x30);
    Release(66, 0x30);
  }
  EXPECT_EQ(dialog.edit().macros.list.back().steps.size(), static_cast<size_t>(kMaxMacroSteps));
  EXPECT_EQ(dialog.view().stepRows.size(), static_cast<size_t>(kMaxMacroSteps));
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

TEST_F(AssignDialogTest, TheHoldBoxShowsInTheKeyModesAndOkStoresIt) {
  struct Case {
    const char* what;
    AssignKind kind;
    bool held;  // the key's record as handed over
    std::function<void()> act;
    bool shown;
    bool holdAfterOk;
    EditTarget target = EditTarget::KeySlot;
  };
  const Case cases[] = {
      {"a held single key stays held", AssignKind::SingleKey, true, [] {}, true, true},
      {"unticked", AssignKind::SingleKey, true, [this] { dialog.ToggleHold(); }, true, false},
      {"ticked for a multimedia key", AssignKind::Media, false, [this] { dialog.ToggleHold(); }, true, true},
      {"a held function key", AssignKind::Function, true, [] {}, true, true},
      {"a held macro key", AssignKind::Macro, true, [] {}, true, true},
      {"the box keeps its tick across modes", AssignKind::SingleKey, false,
       [this] {
         dialog.ToggleHold();
         dialog.OnFunctionButton();
         dialog.OnMacroButton();
       },
       true, true},
      {"Clear sends the key itself again, unheld", AssignKind::Media, true, [this] { dialog.OnClear(); }, true, false},
      {"a macro key left without a macro is no assignment", AssignKind::Macro, true,
       [this] {
         ui.answers = {true, true};
         dialog.DeleteMacro();
         dialog.DeleteMacro();
       },
       true, false},
      {"the macro table alone has no key to hold", AssignKind::Macro, false, [this] { dialog.ToggleHold(); }, false, false,
       EditTarget::MacroTable},
  };
  for (const Case& c : cases) {
    dialog.edit().hold = c.held;
    OpenFor(c.kind, L"", 0, c.target);
    EXPECT_EQ(dialog.view().holdBox.selected, c.held) << c.what << ": the box starts from the key's record";
    EXPECT_TRUE(dialog.view().holdBox.sticky) << c.what;
    c.act();
    EXPECT_EQ(dialog.view().holdBoxVisible, c.shown) << c.what;
    Ok();
    EXPECT_EQ(dialog.edit().hold, c.holdAfterOk) << c.what;
  }

  // A kind the dialog has no mode for shows no box until a mode is chosen.
  OpenFor(KindOfNumber(7));
  EXPECT_FALSE(dialog.view().holdBoxVisible);
  dialog.OnMediaButton();
  EXPECT_TRUE(dialog.view().holdBoxVisible);
}

// Events as the recording hook leaves them, with their time stamps.
struct TimedEvent {
  bool press;
  int vk;
  uint32_t scan;
  uint32_t time;
};

void Feed(AssignDialog& dialog, std::initializer_list<TimedEvent> events) {
  RecordedKeyQueue keys;
  for (const TimedEvent& e : events) {
    ASSERT_TRUE(keys.Push({e.press, e.vk, e.scan, e.press ? 0u : 0x80u, e.time}));
  }
  ASSERT_TRUE(dialog.TakeRecordedKeys(keys, false));
}

std::vector<std::wstring> DelayColumn(const AssignView& view) {
  std::vector<std::wstring> column;
  for (const StepRow& row : view.stepRows) column.push_back(row.delay);
  return column;
}

TEST_F(AssignDialogTest, RecordingWithDelaysKeepsTheTimeSinceTheStepBefore) {
  OpenFor(AssignKind::Macro);
  dialog.AddMacro();
  EXPECT_FALSE(dialog.view().keyDelayBox.selected);
  dialog.ToggleKeyDelays();
  EXPECT_TRUE(dialog.view().keyDelayBox.selected);
  dialog.OnRecordButton(1);
  dialog.ToggleKeyDelays();
  EXPECT_TRUE(dialog.view().keyDelayBox.selected) << "a running recording keeps to what the box said";

  // The time stamps wrap round between the first two steps; B is held with auto-repeat, and let
  // go after far longer than a step may wait.
  Feed(dialog, {
                   {true, 65, 0x1E, 0xFFFFFF00u},
                   {false, 65, 0x1E, 0xFFFFFF64u},
                   {true, 66, 0x30, 0x00000014u},
                   {true, 66, 0x30, 0x00000200u},
                   {false, 66, 0x30, 0x00000014u + 70000u},
               });
  EXPECT_EQ(DownStepKeyCodes(dialog.edit().macros.list.back().steps), (OutputSequence{65, 66}));
  EXPECT_EQ(dialog.edit().macros.list.back().delays, (MacroDelays{0, 100, 176, kMaxStepDelayMs}));
  EXPECT_EQ(DelayColumn(dialog.view()), (std::vector<std::wstring>{L"0", L"100", L"176", L"60000"}));

  // A new recording starts again from nothing, however long the pause between the two.
  dialog.OnRecordButton(1);
  dialog.OnRecordButton(1);
  Feed(dialog, {{true, 67, 0x2E, 0x00500000u}, {false, 67, 0x2E, 0x0050001Eu}});
  EXPECT_EQ(dialog.edit().macros.list.back().delays, (MacroDelays{0, 100, 176, kMaxStepDelayMs, 0, 30}));
  EXPECT_EQ(dialog.view().stepRows.back(), (StepRow{L"key46", Up(), L"30"}));
}

TEST_F(AssignDialogTest, RecordingIntoAMacroKeepsItsWaitsParallelToItsSteps) {
  struct Case {
    const char* what;
    MacroDelays before;  // macro 0's two steps
    bool tick;           // the delays box is clicked once before recording
    bool boxAtChoice;    // the box as the macro is chosen
    MacroDelays after;   // two steps recorded 40 ms apart
  } cases[] = {
      {"untimed, box ticked: the earlier steps wait nothing", {}, true, false, {0, 0, 0, 40}},
      {"timed, box cleared: the new steps wait nothing", {0, 80}, true, true, {0, 80, 0, 0}},
      {"timed, box left ticked", {0, 80}, false, true, {0, 80, 0, 40}},
      {"untimed, box left clear: untimed still", {}, false, false, {}},
  };
  for (const Case& c : cases) {
    OpenFor(AssignKind::Macro);
    dialog.edit().macros.list[0].delays = c.before;
    dialog.SelectMacro(0);
    EXPECT_EQ(dialog.view().keyDelayBox.selected, c.boxAtChoice) << c.what;
    if (c.tick) dialog.ToggleKeyDelays();
    dialog.OnRecordButton(1);
    Feed(dialog, {{true, 88, 0x2D, 1000}, {false, 88, 0x2D, 1040}});
    dialog.OnRecordButton(1);
    EXPECT_EQ(dialog.edit().macros.list[0].delays, c.after) << c.what;
    EXPECT_EQ(dialog.view().stepRows.size(), 4u) << c.what;
    EXPECT_EQ(DelayColumn(dialog.view())[0], c.after.empty() ? L"" : L"0") << c.what;
    EXPECT_EQ(dialog.edit().macros.list[1].delays, MacroDelays{}) << c.what << ": the other macro untouched";
  }
}

TEST_F(AssignDialogTest, ChoosingAMacroShowsItsTimingAndDeletingStepsKeepsItParallel) {
  OpenFor(AssignKind::Macro);
  dialog.edit().macros.list[1].steps = testing::Steps({1, 65, 1, 1, 66, 1, 1, 67, 1, 1, 68, 1, 1, 69, 1});
  dialog.edit().macros.list[1].delays = {0, 10, 20, 50000, 50000};
  dialog.SelectMacro(1);
  EXPECT_TRUE(dialog.view().keyDelayBox.selected) << "a timed macro ticks the box";
  EXPECT_EQ(DelayColumn(dialog.view()), (std::vector<std::wstring>{L"0", L"10", L"20", L"50000", L"50000"}));
  dialog.SelectMacro(0);
  EXPECT_FALSE(dialog.view().keyDelayBox.selected);
  EXPECT_EQ(DelayColumn(dialog.view()), (std::vector<std::wstring>{L"", L""})) << "an untimed macro shows no waits";
  dialog.SelectMacro(1);

  // The step after a deleted one waits for both, so that the later steps keep their times.
  dialog.DeleteStep(1);
  EXPECT_EQ(dialog.edit().macros.list[1].delays, (MacroDelays{0, 30, 50000, 50000}));
  dialog.DeleteStep(2);
  EXPECT_EQ(dialog.edit().macros.list[1].delays, (MacroDelays{0, 30, kMaxStepDelayMs})) << "never past the longest wait";
  dialog.DeleteStep(2);
  EXPECT_EQ(dialog.edit().macros.list[1].delays, (MacroDelays{0, 30}));
  EXPECT_EQ(DelayColumn(dialog.view()), (std::vector<std::wstring>{L"0", L"30"}));
  EXPECT_EQ(dialog.edit().macros.list[1].steps.size(), 2u);
  dialog.ClearSteps();
  EXPECT_TRUE(dialog.edit().macros.list[1].delays.empty());
  EXPECT_TRUE(dialog.view().stepRows.empty());
  EXPECT_TRUE(dialog.view().keyDelayBox.selected) << "the box stays for the next recording";

  // A new macro keeps the box as the user left it: it has no steps to say otherwise.
  dialog.SelectMacro(0);
  dialog.ToggleKeyDelays();
  dialog.AddMacro();
  EXPECT_TRUE(dialog.view().keyDelayBox.selected);
  EXPECT_EQ(dialog.edit().macros.list.back().delays, MacroDelays{}) << "a new macro is untimed";
  EXPECT_EQ(dialog.edit().macros.list.back().loops, 1);
}

TEST_F(AssignDialogTest, TheLoopFieldShowsAndSetsTheChosenMacrosCount) {
  OpenFor(AssignKind::Macro);
  EXPECT_EQ(dialog.view().loopCountText, L"1") << "a table without loop counts plays each macro once";
  dialog.edit().macros.list[1].loops = 5;
  dialog.SelectMacro(1);
  EXPECT_EQ(dialog.view().loopCountText, L"5");

  // A count the macro cannot play is refused, never changed into another: the count kept stays
  // and the hint says what the field takes.
  struct Typed {
    const wchar_t* text;
    int kept;
    bool hint;
  } typed[] = {
      {L"12", 12, false}, {L"99", 99, false}, {L"", 99, false},  {L"0", 99, true},   {L"7", 7, false},
      {L"abc", 7, true},  {L"7x", 7, true},   {L"-5", 7, true},  {L"150", 7, true}, {L"05", 5, false},
  };
  for (const Typed& t : typed) {
    dialog.SetLoopCount(t.text);
    EXPECT_EQ(dialog.view().loopCountText, t.text) << "the field keeps what is being typed";
    EXPECT_EQ(dialog.edit().macros.list[1].loops, t.kept) << t.text;
    if (*t.text != L'\0') {
      EXPECT_EQ(dialog.view().macroHint, t.hint ? Text(TextId::LoopCountHint) : L"") << t.text;
    }
  }
  dialog.SetLoopCount(L"0");
  dialog.ShowLoopCount();
  EXPECT_EQ(dialog.view().loopCountText, L"5") << "left, the field shows the count kept";
  EXPECT_TRUE(NoticeLook(dialog.view(), IDC_MACRO_HINT).shown) << "and the hint still says why";

  dialog.SelectMacro(0);
  EXPECT_EQ(dialog.view().macroHint, L"") << "another macro starts without the hint";
  EXPECT_EQ(dialog.view().loopCountText, L"1");
  EXPECT_EQ(testing::MacroLoops(dialog.edit().macros), (std::vector<int>{1, 5}));
  dialog.AddMacro();
  EXPECT_EQ(dialog.view().loopCountText, L"1");

  // Every macro deleted: the field is empty and typing keeps nothing.
  ui.answers = {true, true, true};
  for (int m = 0; m < 3; ++m) dialog.DeleteMacro();
  EXPECT_EQ(dialog.view().loopCountText, L"");
  dialog.SetLoopCount(L"4");
  dialog.ShowLoopCount();
  EXPECT_EQ(dialog.view().loopCountText, L"");
  EXPECT_TRUE(dialog.edit().macros.list.empty());
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

constexpr AssignKind kDisabledKind = AssignKind::Disabled;
constexpr AssignKind kTextKind = AssignKind::Text;
constexpr AssignKind kProgramKind = AssignKind::Program;

class OtherModeTest : public AssignDialogTest {
 protected:
  // Opens the dialog for F1 of kind `kind` holding a text, a program and its arguments.
  void OpenOther(AssignKind kind, std::wstring text = L"Hi\nthere", std::wstring program = L"C:\\Tools\\app.exe",
                 std::wstring args = L"-x") {
    dialog.edit().text = std::move(text);
    dialog.edit().program = std::move(program);
    dialog.edit().args = std::move(args);
    OpenFor(kind, L"", 0);
  }
  std::array<bool, 3> Choices() const {
    const AssignView& v = dialog.view();
    return {v.disabledChoice.selected, v.textChoice.selected, v.programChoice.selected};
  }
};

TEST_F(OtherModeTest, OpensOnItsKindsWithTheChoiceAndFieldsOfTheKey) {
  struct Case {
    AssignKind kind;
    std::array<bool, 3> choices;
    bool textEnabled, programEnabled;
  } cases[] = {
      {kDisabledKind, {true, false, false}, false, false},
      {kTextKind, {false, true, false}, true, false},
      {kProgramKind, {false, false, true}, false, true},
  };
  for (const Case& c : cases) {
    OpenOther(c.kind);
    const AssignView& v = dialog.view();
    EXPECT_TRUE(v.modeButtons[4].selected) << c.kind;
    EXPECT_FALSE(v.modeButtons[0].selected || v.modeButtons[1].selected) << c.kind;
    EXPECT_TRUE(v.otherControlsVisible) << c.kind;
    EXPECT_FALSE(v.keyFieldVisible || v.macroControlsVisible || v.holdBoxVisible) << c.kind;
    EXPECT_FALSE(v.recordingHook) << c.kind << ": the fields take the keys typed";
    EXPECT_EQ(Choices(), c.choices) << c.kind;
    EXPECT_TRUE(v.disabledChoice.sticky && v.textChoice.sticky && v.programChoice.sticky) << c.kind;
    EXPECT_EQ(v.textFieldEnabled, c.textEnabled) << c.kind;
    EXPECT_EQ(v.programFieldsEnabled, c.programEnabled) << c.kind;
    EXPECT_EQ(v.textFieldText, L"Hi\r\nthere") << c.kind << ": line breaks as the field shows them";
    EXPECT_EQ(v.programPathText, L"C:\\Tools\\app.exe") << c.kind;
    EXPECT_EQ(v.programArgsText, L"-x") << c.kind;
  }
  OpenOther(AssignKind::SingleKey, L"", L"", L"");
  EXPECT_TRUE(dialog.view().otherButtonVisible);
  EXPECT_FALSE(dialog.view().otherControlsVisible);
}

TEST_F(OtherModeTest, ChoicesSwitchOneAtATimeAndAreKeptAcrossModes) {
  OpenFor(AssignKind::SingleKey);
  EXPECT_TRUE(dialog.view().recordingHook);
  dialog.OnOtherButton();
  EXPECT_EQ(Choices(), (std::array<bool, 3>{true, false, false})) << "a key of another kind starts at Disabled";
  EXPECT_EQ(dialog.kind(), kDisabledKind);
  EXPECT_FALSE(dialog.view().recordingHook) << "the single-key hook goes: the text field needs the keys";
  EXPECT_FALSE(dialog.view().holdBoxVisible);

  struct Step {
    void (AssignDialog::*choose)();
    AssignKind kind;
    DialogFocus focus;
    std::array<bool, 3> choices;
  } steps[] = {
      {&AssignDialog::ChooseText, kTextKind, DialogFocus::TextField, {false, true, false}},
      {&AssignDialog::ChooseProgram, kProgramKind, DialogFocus::ProgramPath, {false, false, true}},
      {&AssignDialog::ChooseProgram, kProgramKind, DialogFocus::ProgramPath, {false, false, true}},
      {&AssignDialog::ChooseDisabled, kDisabledKind, DialogFocus::None, {true, false, false}},
      {&AssignDialog::ChooseText, kTextKind, DialogFocus::TextField, {false, true, false}},
  };
  for (const Step& step : steps) {
    const int asked = dialog.view().focusRequests;
    (dialog.*step.choose)();
    EXPECT_EQ(dialog.kind(), step.kind);
    EXPECT_EQ(Choices(), step.choices) << step.kind;
    EXPECT_EQ(dialog.view().textFieldEnabled, step.kind == kTextKind);
    EXPECT_EQ(dialog.view().programFieldsEnabled, step.kind == kProgramKind);
    EXPECT_EQ(dialog.view().focus, step.focus) << step.kind;
    EXPECT_EQ(dialog.view().focusRequests, asked + 1) << step.kind;
  }
  dialog.SetText(L"typed");
  dialog.OnMediaButton();
  EXPECT_FALSE(dialog.view().otherControlsVisible);
  EXPECT_TRUE(dialog.view().holdBoxVisible);
  dialog.ChooseProgram();
  EXPECT_EQ(dialog.kind(), AssignKind::Media) << "a choice outside its mode does nothing";
  dialog.OnOtherButton();
  EXPECT_EQ(dialog.kind(), kTextKind) << "back in the mode, the choice made before";
  EXPECT_EQ(dialog.view().textFieldText, L"typed");

  dialog.TakeBrowsedFile(L"C:\\x.exe");
  EXPECT_EQ(dialog.view().programPathText, L"") << "the browse button rests unless Program is chosen";
  dialog.ChooseProgram();
  dialog.TakeBrowsedFile(L"C:\\Program Files\\Editor\\edit.exe");
  EXPECT_EQ(dialog.view().programPathText, L"C:\\Program Files\\Editor\\edit.exe");
}

TEST_F(OtherModeTest, OkCommitsTheChoiceAndAnEmptyTextOrPathGivesTheKeyBack) {
  struct Case {
    const char* what;
    AssignKind kind;  // the key's kind as handed over
    std::function<void()> act;
    AssignKind kindAfter;
    std::wstring name, text, program, args;
  };
  const std::wstring longText(kMaxTextChars + 5, L'x');
  const Case cases[] = {
      {"Other on a single key: Disabled", AssignKind::SingleKey, [this] { dialog.OnOtherButton(); }, kDisabledKind, L"Disabled", L"", L"",
       L""},
      {"a text typed with a line break", AssignKind::SingleKey,
       [this] {
         dialog.OnOtherButton();
         dialog.ChooseText();
         dialog.SetText(L"Hello\r\nworld");
       },
       kTextKind, L"Text: Hello world", L"Hello\nworld", L"", L""},
      {"a text key kept as it was", kTextKind, [] {}, kTextKind, L"Text: Hi there", L"Hi\nthere", L"", L""},
      {"a text past the limit is cut", kTextKind, [&] { dialog.SetText(longText); }, kTextKind,
       L"Text: xxxxxxxxxxx…", std::wstring(kMaxTextChars, L'x'), L"", L""},
      {"a program with blanks round its path", kTextKind,
       [this] {
         dialog.ChooseProgram();
         dialog.SetProgramPath(L"  C:\\Windows\\notepad.exe ");
         dialog.SetProgramArgs(L"notes.txt");
       },
       kProgramKind, L"Program: notepad.exe", L"", L"C:\\Windows\\notepad.exe", L"notes.txt"},
      {"a text key turned off: no text kept", kTextKind, [this] { dialog.ChooseDisabled(); }, kDisabledKind,
       L"Disabled", L"", L"", L""},
      {"an emptied text: the key is its own again", kTextKind, [this] { dialog.SetText(L""); }, AssignKind::SingleKey, L"", L"", L"", L""},
      {"a blank path: the key is its own again, its arguments gone", kProgramKind,
       [this] { dialog.SetProgramPath(L"   "); }, AssignKind::SingleKey, L"", L"", L"", L""},
      {"Clear in the mode", kProgramKind, [this] { dialog.OnClear(); }, AssignKind::SingleKey, L"", L"", L"", L""},
      {"leaving the mode for a command drops the text", kTextKind, [this] { dialog.OnFunctionButton(); },
       AssignKind::Function, L"Копировать", L"", L"", L""},
  };
  for (const Case& c : cases) {
    keyMap = IdentityKeyMap();
    keyMap[112] = {66, 67};  // the key played macro m1 before
    OpenOther(c.kind);
    dialog.edit().macros.indexMap[112] = 1;
    dialog.edit().hold = true;
    dialog.ToggleHold();
    c.act();
    Ok(-1, 4);
    const AssignEdit& e = dialog.edit();
    EXPECT_EQ(e.kind, c.kindAfter) << c.what;
    EXPECT_EQ(e.displayName, c.name) << c.what;
    EXPECT_EQ(e.text, c.text) << c.what;
    EXPECT_EQ(e.program, c.program) << c.what;
    EXPECT_EQ(e.args, c.args) << c.what;
    if (c.kindAfter != AssignKind::Function) {
      EXPECT_EQ(keyMap.at(112), OutputSequence{112}) << c.what << ": the key's own entry sends itself";
      EXPECT_FALSE(e.hold) << c.what;
    }
    EXPECT_EQ(e.macros.indexMap.count(112), 0u) << c.what << ": no macro played any more";
    EXPECT_EQ(e.macros.indexMap.at(113), 1) << c.what;
  }
}

TEST_F(OtherModeTest, CancelReleasesTheChoicesAndTypingTouchesOnlyTheView) {
  OpenOther(kTextKind);
  dialog.SetText(L"changed");
  dialog.ChooseProgram();
  dialog.SetProgramPath(L"C:\\other.exe");
  EXPECT_EQ(dialog.edit().text, L"Hi\nthere");
  EXPECT_EQ(dialog.edit().program, L"C:\\Tools\\app.exe");
  dialog.OnCancel();
  EXPECT_EQ(Choices(), (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ(keyMap, IdentityKeyMap());
}

TEST_F(OtherModeTest, TheMacroTableAloneAndAnOlderLayoutNeverShowTheMode) {
  dialog.edit().text.clear();
  dialog.edit().program.clear();
  dialog.edit().args.clear();
  OpenMacroTable();
  EXPECT_FALSE(dialog.view().otherButtonVisible);
  dialog.OnOtherButton();
  EXPECT_EQ(dialog.target(), EditTarget::MacroTable);
  EXPECT_EQ(dialog.kind(), AssignKind::Macro);
  EXPECT_FALSE(dialog.view().otherControlsVisible);

  // A Composite.ini from before the mode: a Text key opens on no mode at all, and OK leaves it.
  dialog.SetOtherModePlaced(false);
  keyMap[112] = {112};
  for (AssignKind kind : {AssignKind::SingleKey, kTextKind}) {
    OpenOther(kind);
    EXPECT_FALSE(dialog.view().otherButtonVisible) << KindNumber(kind);
    dialog.OnOtherButton();
    EXPECT_FALSE(dialog.view().otherControlsVisible) << KindNumber(kind);
    EXPECT_EQ(dialog.kind(), kind);
  }
  dialog.ChooseDisabled();
  Ok();
  EXPECT_EQ(dialog.edit().kind, kTextKind);
  EXPECT_EQ(dialog.edit().text, L"Hi\nthere");
  EXPECT_EQ(keyMap.at(112), OutputSequence{112});
  dialog.SetOtherModePlaced(true);
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// Steps written as "A↓ B↓ A↑": letters for keys, ↓ a press, ↑ a release.
MacroSteps StepsOf(std::wstring_view text) {
  MacroSteps steps;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] < L'A' || text[i] > L'Z') continue;
    const int code = text[i];
    steps.push_back(MacroStep{code << 16, code, text[i + 1] == L'↓' ? 1 : 0});
  }
  return steps;
}

std::wstring TextOf(const MacroSteps& steps) {
  std::wstring text;
  for (const MacroStep& step : steps) {
    if (!text.empty()) text += L' ';
    text += static_cast<wchar_t>(step.keyCode);
    text += step.down() ? L'↓' : L'↑';
  }
  return text;
}

TEST(StepMoves, EachButtonMovesTheSelectedStepUnlessAReleaseWouldComeBeforeItsPress) {
  struct Case {
    const char* what;
    const wchar_t* before;
    StepMove move;
    int row;
    const wchar_t* after;  // nullptr: refused; the same text: nothing to move
  } cases[] = {
      {"up", L"A↓ A↑ B↓ B↑", StepMove::Up, 2, L"A↓ B↓ A↑ B↑"},
      {"down", L"A↓ B↓ A↑ B↑", StepMove::Down, 1, L"A↓ A↑ B↓ B↑"},
      {"to the top", L"A↓ A↑ B↓ B↑", StepMove::ToTop, 2, L"B↓ A↓ A↑ B↑"},
      {"to the bottom", L"A↓ B↓ A↑ B↑", StepMove::ToBottom, 0, nullptr},
      {"to the bottom, past other keys only", L"A↓ B↓ B↑ C↓", StepMove::ToBottom, 1, nullptr},
      {"a release to the bottom", L"A↓ A↑ B↓ B↑", StepMove::ToBottom, 1, L"A↓ B↓ B↑ A↑"},
      {"a release up past its own press", L"A↓ A↑ B↓", StepMove::Up, 1, nullptr},
      {"a release to the top", L"B↓ A↓ A↑", StepMove::ToTop, 2, nullptr},
      {"a press down past its release", L"A↓ A↑ B↓", StepMove::Down, 0, nullptr},
      {"a press past another press of its key", L"A↓ A↑ A↓ A↑", StepMove::Up, 2, L"A↓ A↓ A↑ A↑"},
      {"a lone release from before the recording may move on", L"A↑ B↓ B↑", StepMove::ToBottom, 0,
       L"B↓ B↑ A↑"},
      {"the top step up: already there", L"A↓ A↑", StepMove::Up, 0, L"A↓ A↑"},
      {"the last step down: already there", L"A↓ A↑", StepMove::Down, 1, L"A↓ A↑"},
      {"nothing selected", L"A↓ A↑", StepMove::ToTop, -1, L"A↓ A↑"},
  };
  for (const Case& c : cases) {
    MacroSteps steps = StepsOf(c.before);
    const auto to = StepMoveTarget(c.move, c.row, steps.size());
    if (!to) {
      EXPECT_EQ(c.after, std::wstring_view(c.before)) << c.what << ": no move";
      continue;
    }
    const bool allowed = MoveKeepsReleasesAfterPresses(steps, static_cast<size_t>(c.row), *to);
    EXPECT_EQ(allowed, c.after != nullptr) << c.what;
    if (!allowed || c.after == nullptr) continue;
    MacroDelays delays;
    MoveStep(steps, delays, static_cast<size_t>(c.row), *to);
    EXPECT_EQ(TextOf(steps), c.after) << c.what;
  }
}

TEST_F(AssignDialogTest, AMovedStepTakesItsDelayAlongAndStaysSelected) {
  OpenFor(AssignKind::Macro);
  Macro& macro = dialog.edit().macros.list[0];
  macro.steps = StepsOf(L"A↓ A↑ B↓ B↑");
  macro.delays = {0, 100, 200, 300};
  dialog.SelectMacro(0);

  dialog.MoveStepUp(2);
  EXPECT_EQ(TextOf(macro.steps), L"A↓ B↓ A↑ B↑");
  EXPECT_EQ(macro.delays, (MacroDelays{0, 200, 100, 300})) << "each wait goes with its step";
  EXPECT_EQ(DelayColumn(dialog.view()), (std::vector<std::wstring>{L"0", L"200", L"100", L"300"}));
  EXPECT_EQ(dialog.view().stepRows[1], (StepRow{L"key66", Down(), L"200"}));
  EXPECT_EQ(dialog.view().stepSelection, 1) << "the moved step stays selected";

  dialog.MoveStepToTop(1);
  EXPECT_EQ(TextOf(macro.steps), L"B↓ A↓ A↑ B↑");
  EXPECT_EQ(dialog.view().stepSelection, 0);
  dialog.MoveStepToBottom(2);
  EXPECT_EQ(TextOf(macro.steps), L"B↓ A↓ B↑ A↑") << "a release may go anywhere after its press";
  EXPECT_EQ(macro.delays, (MacroDelays{200, 0, 300, 100}));
  EXPECT_EQ(dialog.view().stepSelection, 3);
  ASSERT_EQ(ui.beeps, 0);

  // Refused: the release of A would come before its press. Nothing changes but a beep.
  const MacroSteps stepsBefore = macro.steps;
  const MacroDelays delaysBefore = macro.delays;
  dialog.MoveStepToTop(3);
  dialog.MoveStepToBottom(1);
  EXPECT_EQ(ui.beeps, 2);
  EXPECT_EQ(macro.steps, stepsBefore);
  EXPECT_EQ(macro.delays, delaysBefore);
  EXPECT_EQ(dialog.view().stepSelection, 3) << "the selection stays where it was";

  // An untimed macro stays untimed; no move while recording.
  dialog.SelectMacro(1);
  dialog.MoveStepDown(0);
  EXPECT_EQ(dialog.edit().macros.list[1].delays, MacroDelays{});
  EXPECT_EQ(dialog.view().stepRows[1].key, L"key48");
  dialog.OnRecordButton(1);
  dialog.MoveStepUp(1);
  EXPECT_EQ(dialog.view().stepRows[1].key, L"key48") << "steps stay while a recording adds to them";
}

TEST_F(AssignDialogTest, ADelayFieldTakesZeroToSixtyThousandMilliseconds) {
  OpenFor(AssignKind::Macro);
  EXPECT_EQ(dialog.DelayFieldText(1), L"0") << "an untimed step waits for nothing";
  struct Typed {
    const wchar_t* text;
    bool kept;
  } typed[] = {
      {L"400", true}, {L"0", true}, {L"60000", true}, {L"60001", false}, {L"", false}, {L"4s", false}, {L"-1", false},
  };
  for (const Typed& t : typed) {
    OpenFor(AssignKind::Macro);
    EXPECT_EQ(dialog.SetStepDelay(1, t.text), t.kept) << t.text;
    const Macro& macro = dialog.edit().macros.list[0];
    if (t.kept) {
      EXPECT_EQ(macro.delays, (MacroDelays{0, ParseInt(t.text)})) << t.text << ": the macro becomes timed";
      EXPECT_EQ(DelayColumn(dialog.view()), (std::vector<std::wstring>{L"0", t.text})) << t.text;
      EXPECT_TRUE(dialog.view().keyDelayBox.selected) << t.text;
      EXPECT_EQ(dialog.view().macroHint, L"") << t.text;
    } else {
      EXPECT_EQ(macro.delays, MacroDelays{}) << t.text << ": nothing changes";
      EXPECT_EQ(dialog.view().macroHint, Text(TextId::StepDelayHint)) << t.text;
    }
  }
  OpenFor(AssignKind::Macro);
  EXPECT_FALSE(dialog.CanEditDelay(2)) << "no such step";
  dialog.OnRecordButton(1);
  EXPECT_FALSE(dialog.CanEditDelay(0)) << "not while recording";
  EXPECT_FALSE(dialog.SetStepDelay(0, L"5"));
}

TEST_F(AssignDialogTest, ClearAllAsksFirst) {
  OpenFor(AssignKind::Macro);
  ui.yesNoAnswers = {false};
  dialog.ClearSteps();
  EXPECT_EQ(ui.yesNoQuestions, std::vector<std::wstring>{std::wstring(Text(TextId::ClearStepsQuestion))});
  EXPECT_EQ(dialog.edit().macros.list[0].steps.size(), 2u) << "no: the steps stay";
  dialog.ClearSteps();
  EXPECT_TRUE(dialog.edit().macros.list[0].steps.empty()) << "yes: cleared";
  dialog.ClearSteps();
  EXPECT_EQ(ui.yesNoQuestions.size(), 2u) << "an empty macro has nothing to ask about";
}

TEST_F(AssignDialogTest, TheFunctionListShowsShortcutsAndOkStoresTheCommandsOwnName) {
  const std::vector<std::wstring> shown = FunctionListItems();
  ASSERT_EQ(shown.size(), kCommandTable.size());
  EXPECT_EQ(shown[2], L"Отмена (Ctrl+Z)");
  EXPECT_EQ(shown[4], L"Копировать (Ctrl+C)");
  EXPECT_EQ(shown[9], L"Масштаб + (Ctrl+Num +)");
  EXPECT_EQ(shown[12], L"Развернуть (Alt+Space+X)");
  for (size_t row = 0; row < kCommandTable.size(); ++row) {
    // Each command stored by its own name, its trailing blank and all, is found again at the
    // next opening and stored as it was.
    OpenFor(AssignKind::Function, std::wstring(kCommandTable[row].displayName));
    EXPECT_EQ(dialog.view().functionSelection, static_cast<int>(row)) << row;
    Ok(-1, dialog.view().functionSelection);
    EXPECT_EQ(dialog.edit().displayName, kCommandTable[row].displayName) << row;
    EXPECT_EQ(keyMap.at(112), kCommandTable[row].Sequence()) << row;
  }
}

TEST_F(AssignDialogTest, TheKeyFieldTakesOneKeyAndSaysSoForACombination) {
  OpenFor(AssignKind::SingleKey, L"Esc");
  Press(65, 0x1E);
  Release(65, 0x1E);
  ASSERT_EQ(dialog.capturedKeyCode(), 65);
  // Ctrl+Shift+F5.
  Press(162, 0x1D);
  Press(162, 0x1D);  // auto-repeat
  Press(160, 0x2A);
  Press(116, 0x3F);
  EXPECT_EQ(dialog.view().keyFieldText, Text(TextId::SingleKeysOnly));
  EXPECT_EQ(dialog.capturedKeyCode(), 65) << "the key captured before the combination stays";
  Release(116, 0x3F);
  Release(160, 0x2A);
  Release(162, 0x1D);
  Ok();
  EXPECT_EQ(keyMap.at(112), OutputSequence{65});
  EXPECT_EQ(dialog.edit().displayName, L"key30") << "stored under its key's name, not the refusal";

  OpenFor(AssignKind::SingleKey, L"Esc");
  Press(162, 0x1D);
  Release(162, 0x1D);
  Press(116, 0x3F);
  EXPECT_EQ(dialog.capturedKeyCode(), 116) << "one key after another: the last one";
  EXPECT_EQ(dialog.view().keyFieldText, L"key63");
}

}  // namespace
}  // namespace orvelle

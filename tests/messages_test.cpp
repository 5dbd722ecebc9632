// What the user is told and shown: every message box's title and icon, a key's tooltip.
#include <gtest/gtest.h>

#include "app/key_tooltip.h"
#include "base/message_style.h"

namespace orvelle {
namespace {

TEST(MessageBoxes, EveryKindIsTitledWithTheProgramsNameAndCarriesItsIcon) {
  // The values MessageBox documents: MB_OK 0, MB_OKCANCEL 1, MB_ICONERROR 0x10,
  // MB_ICONQUESTION 0x20, MB_ICONWARNING 0x30, MB_ICONINFORMATION 0x40.
  struct Case {
    MessageKind kind;
    unsigned flags;
    const char* what;
  } cases[] = {
      {MessageKind::Question, 0x21, "OK/Cancel with the question mark"},
      {MessageKind::YesNo, 0x24, "Yes/No with the question mark"},
      {MessageKind::Warning, 0x30, "OK with the exclamation mark"},
      {MessageKind::Error, 0x10, "OK with the stop sign"},
      {MessageKind::Information, 0x40, "OK with the information sign"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StyleOf(c.kind), (MessageStyle{L"ORVELLE", c.flags})) << c.what;
  }
}

TEST(KeyTooltip, NamesWhatTheKeyDoesForEveryKind) {
  auto record = [](const wchar_t* name, AssignKind kind, bool hold = false) {
    KeyAssignment a;
    a.name = name;
    a.kind = kind;
    a.hold = hold;
    return a;
  };
  KeyAssignment text = record(L"Text: hello", AssignKind::Text);
  text.text = L"Привет,\nмир\tи всем, кто это читает до конца";
  KeyAssignment program = record(L"Program: notepad.exe", AssignKind::Program);
  program.program = L"C:\\Windows\\System32\\notepad.exe";
  program.args = L"readme.txt";
  KeyAssignment folder = record(L"Program: Tools", AssignKind::Program, true);
  folder.program = L"D:\\Tools\\";
  const KeyAssignment emptyText = record(L"Text:", AssignKind::Text);
  KeyAssignment next = record(L"Profile: next", AssignKind::Profile);
  next.profileTarget = ProfileTarget::Next;
  KeyAssignment two = record(L"Profile: 2", AssignKind::Profile);
  two.profileTarget = ProfileTarget::Two;
  KeyAssignment wheel = record(L"Mouse: wheelup", AssignKind::Mouse);
  wheel.mouse = MouseAction::WheelUp;
  KeyAssignment unknownMouse = record(L"Mouse:", AssignKind::Mouse);
  KeyAssignment turbo = record(L"Space", AssignKind::SingleKey);
  turbo.turboMs = 50;
  KeyAssignment turboLeft = record(L"Mouse: left", AssignKind::Mouse, true);
  turboLeft.mouse = MouseAction::Left;
  turboLeft.turboMs = 30;

  struct Case {
    const wchar_t* own;
    KeyAssignment assignment;
    const wchar_t* tip;
  } cases[] = {
      {L"Esc", record(L"esc", AssignKind::SingleKey), L"ESC: не переназначена"},
      {L"Esc", record(L"Esc", AssignKind::SingleKey, true), L"ESC: не переназначена"},
      {L"Пробел", record(L"пробел", AssignKind::SingleKey), L"Пробел: клавиша пробел"},
      {L"F1", record(L"Q", AssignKind::SingleKey), L"F1: клавиша Q"},
      {L"F2", record(L"A", AssignKind::SingleKey, true), L"F2: клавиша A, пока нажата"},
      {L"F3", record(L"fire", AssignKind::Macro), L"F3: макрос «fire»"},
      {L"F4", record(L"fire", AssignKind::Macro, true), L"F4: макрос «fire», пока нажата"},
      {L"F5", record(L"Громкость +", AssignKind::Media), L"F5: мультимедиа: Громкость +"},
      {L"F6", record(L"Копировать", AssignKind::Function), L"F6: команда «Копировать»"},
      {L"F7", record(L"Disabled", AssignKind::Disabled, true), L"F7: выключена"},
      {L"F8", text, L"F8: печатает текст «Привет, мир и всем, кто это чита…»"},
      {L"F9", program, L"F9: запускает программу «notepad.exe»"},
      {L"F10", folder, L"F10: запускает программу «Tools», пока нажата"},
      {L"F11", emptyText, L"F11: не переназначена"},
      {L"F12", next, L"F12: следующий профиль"},
      {L"1", two, L"1: профиль 2"},
      {L"Q", wheel, L"Q: колесо мыши вверх"},
      {L"W", unknownMouse, L"W: не переназначена"},
      {L"E", turbo, L"E: клавиша Space, турбо каждые 50 мс"},
      {L"R", turboLeft, L"R: левая кнопка мыши, турбо каждые 30 мс"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyTooltipText(c.own, c.assignment), c.tip);
  }
}

}  // namespace
}  // namespace orvelle

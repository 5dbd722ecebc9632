#pragma once

#include <string_view>

// Every text the user interface shows that is not stored in a file, in one place, so that a
// translation replaces this file and nothing else. Stored names (profile names, command names
// that the profile file reads back) are not here: they belong to the file format.
namespace orvelle::ui_text {

// The title of every message box.
inline constexpr std::wstring_view kAppTitle = L"ORVELLE";

// --- the tray ------------------------------------------------------------------------------------

// The tray tip while the keyboard is not plugged in.
inline constexpr std::wstring_view kTrayKeyboardMissing = L"ORVELLE: клавиатура не подключена";
// The tray tip while remapping is paused.
inline constexpr std::wstring_view kTrayPaused = L"ORVELLE: пауза";

// --- the command line -----------------------------------------------------------------------------

inline constexpr std::wstring_view kCommandLineUsage =
    L"Команды ORVELLE:\n\n"
    L"orvelle.exe /profile 1|2|3|next\n"
    L"    сделать активным профиль 1, 2 или 3 или следующий\n\n"
    L"orvelle.exe /pause on|off|toggle\n"
    L"    приостановить переназначение клавиш, возобновить его или переключить паузу\n\n"
    L"Если ORVELLE уже запущен, команда передаётся ему.";

// --- the main window and the tray --------------------------------------------------------------

// Written on the main window while the keyboard is not plugged in. The skin generator draws these
// texts into the pictures (tools/skin/main_window.py reads them from here); the program writes the
// notice itself only for an older skin that has no place for it.
inline constexpr std::wstring_view kKeyboardMissing = L"Клавиатура не подключена";
// The legend of the key looks on the main window, one word each.
inline constexpr std::wstring_view kLegendRemap = L"Клавиша";
inline constexpr std::wstring_view kLegendCommand = L"Команда";
inline constexpr std::wstring_view kLegendMacro = L"Макрос";
inline constexpr std::wstring_view kLegendText = L"Текст";
inline constexpr std::wstring_view kLegendProgram = L"Программа";
inline constexpr std::wstring_view kLegendOff = L"Выкл.";
inline constexpr std::wstring_view kLegendHold = L"Hold";

// --- the key assignment dialog -----------------------------------------------------------------

// Beside the record button when a recording starts or stops with NumLock off.
inline constexpr std::wstring_view kNumLockOffNotice = L"Keypad not locked: NumLock is off.";
// Under the step list when the loop field or a delay field holds what a macro cannot keep.
inline constexpr std::wstring_view kLoopCountHint = L"Loop count: a whole number from 1 to 99.";
inline constexpr std::wstring_view kStepDelayHint = L"Delay: a whole number of ms from 0 to 60000.";
// The key field when a combination was pressed: it takes one key.
inline constexpr std::wstring_view kSingleKeysOnly = L"Single keys only";
// "Clear all" asks before it empties a macro.
inline constexpr std::wstring_view kClearStepsQuestion = L"Remove every step of this macro?";
inline constexpr std::wstring_view kOnScreenKeyboardFailed = L"The on-screen keyboard could not be started.";
// The keys of a command's shortcut as the function list shows them beside its name.
inline constexpr std::wstring_view kShortcutCtrl = L"Ctrl";
inline constexpr std::wstring_view kShortcutAlt = L"Alt";
inline constexpr std::wstring_view kShortcutShift = L"Shift";
inline constexpr std::wstring_view kShortcutSpace = L"Space";
inline constexpr std::wstring_view kShortcutNumPlus = L"Num +";
inline constexpr std::wstring_view kShortcutNumMinus = L"Num -";
// The "Other" mode's Profile list and Mouse list, and the notice of a turbo period refused.
// en: "Profile 1"
inline constexpr std::wstring_view kProfileChoice1 = L"Профиль 1";
// en: "Profile 2"
inline constexpr std::wstring_view kProfileChoice2 = L"Профиль 2";
// en: "Profile 3"
inline constexpr std::wstring_view kProfileChoice3 = L"Профиль 3";
// en: "Next profile"
inline constexpr std::wstring_view kProfileChoiceNext = L"Следующий профиль";
// en: "Pause"
inline constexpr std::wstring_view kProfileChoicePause = L"Пауза";
// en: "Left button"
inline constexpr std::wstring_view kMouseLeft = L"Левая кнопка";
// en: "Right button"
inline constexpr std::wstring_view kMouseRight = L"Правая кнопка";
// en: "Middle button"
inline constexpr std::wstring_view kMouseMiddle = L"Средняя кнопка";
// en: "Button 4"
inline constexpr std::wstring_view kMouseX1 = L"Кнопка 4";
// en: "Button 5"
inline constexpr std::wstring_view kMouseX2 = L"Кнопка 5";
// en: "Wheel up"
inline constexpr std::wstring_view kMouseWheelUp = L"Колесо вверх";
// en: "Wheel down"
inline constexpr std::wstring_view kMouseWheelDown = L"Колесо вниз";
inline constexpr std::wstring_view kTurboPeriodHint = L"Turbo: a whole number of ms from 20 to 1000.";

// --- messages, menus, the About box, export ----------------------------------------------------

// The question before a macro that keys play is deleted.
inline constexpr std::wstring_view kMacroInUseQuestion =
    L"Этот макрос назначен клавишам. Удалить его? Эти клавиши перестанут его запускать.";

// Export: the file name offered (the profile's number goes between the two parts) and what is
// told once the file is written (its full path follows).
inline constexpr std::wstring_view kExportNameStart = L"ORVELLE профиль ";
inline constexpr std::wstring_view kExportNameEnd = L".ini";
inline constexpr std::wstring_view kExportDoneStart = L"Профиль ";
inline constexpr std::wstring_view kExportDoneMiddle = L" сохранён в файл\n";

// The "Menu" button's submenu of key hold times.
inline constexpr std::wstring_view kTapTimeMenu = L"&Время нажатия клавиш";

// The About box: the version line before the number the version resource carries.
inline constexpr std::wstring_view kAboutVersion = L"Версия ";

// A key's tooltip: its own name, then what it does in the active profile.
inline constexpr std::wstring_view kTipSeparator = L": ";
inline constexpr std::wstring_view kTipUnchanged = L"не переназначена";
inline constexpr std::wstring_view kTipKey = L"клавиша ";
inline constexpr std::wstring_view kTipMacro = L"макрос ";
inline constexpr std::wstring_view kTipMedia = L"мультимедиа: ";
inline constexpr std::wstring_view kTipCommand = L"команда ";
inline constexpr std::wstring_view kTipText = L"печатает текст ";
inline constexpr std::wstring_view kTipProgram = L"запускает программу ";
inline constexpr std::wstring_view kTipDisabled = L"выключена";
inline constexpr std::wstring_view kTipHold = L", пока нажата";
inline constexpr std::wstring_view kTipTurboBefore = L", турбо каждые ";
inline constexpr std::wstring_view kTipTurboAfter = L" мс";
inline constexpr std::wstring_view kTipProfile = L"профиль ";
inline constexpr std::wstring_view kTipNextProfile = L"следующий профиль";
inline constexpr std::wstring_view kTipPause = L"пауза переназначения";
inline constexpr std::wstring_view kTipMouseLeft = L"левая кнопка мыши";
inline constexpr std::wstring_view kTipMouseRight = L"правая кнопка мыши";
inline constexpr std::wstring_view kTipMouseMiddle = L"средняя кнопка мыши";
inline constexpr std::wstring_view kTipMouseX1 = L"кнопка мыши X1";
inline constexpr std::wstring_view kTipMouseX2 = L"кнопка мыши X2";
inline constexpr std::wstring_view kTipWheelUp = L"колесо мыши вверх";
inline constexpr std::wstring_view kTipWheelDown = L"колесо мыши вниз";
inline constexpr std::wstring_view kTipOpenQuote = L"«";
inline constexpr std::wstring_view kTipCloseQuote = L"»";

// --- the on-screen notice of the active profile ----------------------------------------------------

// The "Menu" button's check item that turns the notice on and off.
// en: "show profile changes"
inline constexpr std::wstring_view kNoticeMenu = L"показывать смену профиля";
// What the notice says: "Профиль 2 — game.exe", "Профиль 1", or the pause.
// en: "Profile "
inline constexpr std::wstring_view kNoticeProfile = L"Профиль ";
// en: " — "
inline constexpr std::wstring_view kNoticeProgramSeparator = L" — ";
// en: "Paused"
inline constexpr std::wstring_view kNoticePaused = L"Пауза";

}  // namespace orvelle::ui_text

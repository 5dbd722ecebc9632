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

// --- messages, menus, the About box, export ----------------------------------------------------

}  // namespace orvelle::ui_text

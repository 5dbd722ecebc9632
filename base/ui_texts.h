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

// --- the key assignment dialog -----------------------------------------------------------------

// --- messages, menus, the About box, export ----------------------------------------------------

}  // namespace orvelle::ui_text

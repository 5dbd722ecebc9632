#pragma once

#include <string_view>

// Every text the user interface shows that is not stored in a file, in one place, so that a
// translation replaces this file and nothing else. Stored names (profile names, command names
// that the profile file reads back) are not here: they belong to the file format.
namespace orvelle::ui_text {

// The title of every message box.
inline constexpr std::wstring_view kAppTitle = L"ORVELLE";

// --- the main window and the tray --------------------------------------------------------------

// --- the key assignment dialog -----------------------------------------------------------------

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
inline constexpr std::wstring_view kTipOpenQuote = L"«";
inline constexpr std::wstring_view kTipCloseQuote = L"»";

}  // namespace orvelle::ui_text

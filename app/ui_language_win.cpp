#include "app/ui_language_win.h"

#include <string>

#include "platform/win32/executable_win.h"

namespace orvelle {

void ChooseStartLanguage() {
  // The key and its value are ASCII, so the profile API reads them whatever the file's encoding.
  wchar_t stored[8] = L"";
  const std::wstring file = ExecutableFolder() + L"set.ini";
  GetPrivateProfileStringW(L"TYPE", L"Language", L"", stored, static_cast<DWORD>(std::size(stored)), file.c_str());
  SetLanguage(LanguageOf(GetUserDefaultUILanguage(), stored));
}

void ApplyMenuTexts(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    if (HMENU submenu = GetSubMenu(menu, position)) ApplyMenuTexts(submenu);
  }
  for (const ItemText& item : MenuItemTexts()) {
    // An item the menu does not have is left alone: the call fails and changes nothing.
    std::wstring text(Text(item.text));
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    SetMenuItemInfoW(menu, static_cast<UINT>(item.id), FALSE, &info);
  }
}

void MarkLanguageMenu(HMENU menu) {
  const UINT first = static_cast<UINT>(LanguageCommand(Language::Russian));
  const UINT last = static_cast<UINT>(LanguageCommand(Language::English));
  CheckMenuRadioItem(menu, first, last, static_cast<UINT>(LanguageCommand(CurrentLanguage())), MF_BYCOMMAND);
}

void ApplyDialogTexts(HWND dialog, std::span<const ItemText> texts) {
  for (const ItemText& item : texts) SetDlgItemTextW(dialog, item.id, std::wstring(Text(item.text)).c_str());
}

}  // namespace orvelle

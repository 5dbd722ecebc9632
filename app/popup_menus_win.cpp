#include "app/popup_menus_win.h"

#include "app/popup_menus.h"
#include "app/tray_presenter_win.h"
#include "app/ui_language_win.h"
#include "base/texts.h"
#include "platform/win32/handles.h"
#include "resources/resource.h"

namespace orvelle {
namespace {

// The key hold time choices, as a submenu of the "Menu" button's menu.
void AddTapTimeMenu(HMENU buttonMenu, int currentMs) {
  UniqueMenu times(CreatePopupMenu());
  if (!times) return;
  for (const TapTimeChoice& choice : TapTimeChoices(currentMs)) {
    const UINT id = ID_TAP_TIME_BASE + static_cast<UINT>(choice.ms);
    AppendMenuW(times.get(), MF_STRING, id, choice.label.c_str());
    if (choice.checked) CheckMenuRadioItem(times.get(), id, id, id, MF_BYCOMMAND);
  }
  // After "Экспорт…"; the menu owns the submenu from here on.
  if (InsertMenuW(buttonMenu, 2, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(times.get()),
                  std::wstring(Text(TextId::TapTimeMenu)).c_str())) {
    times.release();
  }
}

// The notice's check item, above "О программе…"; checked while the notice is on.
void AddNoticeItem(HMENU buttonMenu, bool on) {
  InsertMenuW(buttonMenu, ID_ABOUT_COMMAND, MF_BYCOMMAND | MF_STRING | (on ? MF_CHECKED : MF_UNCHECKED),
              ID_OSD_COMMAND, std::wstring(Text(TextId::NoticeMenu)).c_str());
}

}  // namespace

void ShowPopupMenu(HINSTANCE instance, HWND owner, int menuId, const ProfileSet& profiles, int activeProfile,
                   bool paused) {
  POINT cursor{};
  GetCursorPos(&cursor);
  const UniqueMenu menu(LoadMenuW(instance, MAKEINTRESOURCEW(menuId)));
  if (!menu) return;
  ApplyMenuTexts(menu.get());
  MarkLanguageMenu(menu.get());
  if (menuId == IDR_BUTTON_MENU) {
    AddTapTimeMenu(GetSubMenu(menu.get(), 0), profiles.tapMs);
    AddNoticeItem(GetSubMenu(menu.get(), 0), profiles.osd);
  }
  if (menuId == IDR_POPUP_MENU) TrayPresenter::MarkMenu(GetSubMenu(menu.get(), 0), activeProfile, paused);
  CheckMenuItem(GetSubMenu(menu.get(), 0), ID_RUN_AS_ADMIN_COMMAND,
                MF_BYCOMMAND | (profiles.runAsAdmin ? MF_CHECKED : MF_UNCHECKED));
  SetForegroundWindow(owner);
  TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
}

}  // namespace orvelle

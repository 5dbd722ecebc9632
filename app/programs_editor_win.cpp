#include "app/programs_editor_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "app/foreground_watch_win.h"
#include "app/programs_editor.h"
#include "app/ui_language_win.h"
#include "assign/assign_dialog.h"
#include "base/texts.h"
#include "platform/win32/display_scale_win.h"
#include "platform/win32/file_dialogs_win.h"
#include "platform/win32/handles.h"
#include "platform/win32/window_place_win.h"

namespace orvelle {
namespace {

// The programs with a shown, captioned top-level window, in the order of the windows.
std::vector<OpenProgram> OpenPrograms() {
  std::vector<OpenProgram> open;
  EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr ||
            (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) {
          return TRUE;
        }
        wchar_t title[128] = L"";
        if (GetWindowTextW(window, title, 128) <= 0) return TRUE;
        std::wstring path = ProgramPathOf(window);
        if (!path.empty()) reinterpret_cast<std::vector<OpenProgram>*>(found)->push_back({std::move(path), title});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&open));
  return open;
}

}  // namespace

LRESULT ProgramsDialogWindow::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  SetWindowTextW(hwnd(), std::wstring(Text(TextId::ProgramsTitle)).c_str());
  ApplyDialogTexts(hwnd(), ProgramsDialogTexts());
  HWND list = Item(IDC_PROGRAM_LIST);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  RECT client{};
  GetClientRect(list, &client);
  const int width = std::max(0, static_cast<int>(client.right) - SystemMetricForDpi(SM_CXVSCROLL, WindowDpi(list)));
  const std::wstring headings[] = {std::wstring(Text(TextId::ProgramsHeadingProgram)), std::wstring(Text(TextId::ProgramsHeadingProfile))};
  const int widths[] = {width * 2 / 3, width - width * 2 / 3};
  for (int column = 0; column < 2; ++column) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.cx = widths[column];
    c.pszText = const_cast<wchar_t*>(headings[column].c_str());
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
  }
  for (int profile = 1; profile <= 3; ++profile) {
    SendMessageW(Item(IDC_PROGRAM_PROFILE), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(ProfileMenuLabel(profile).c_str()));
  }
  ShowBindings();
  CentreOnWorkArea(hwnd(), GetWindow(hwnd(), GW_OWNER));
  return TRUE;
}

void ProgramsDialogWindow::ShowBindings() {
  filling_ = true;
  HWND list = Item(IDC_PROGRAM_LIST);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  const ProgramBindings& bindings = editor_.bindings();
  for (size_t row = 0; row < bindings.size(); ++row) {
    const std::wstring profile = ProfileMenuLabel(bindings[row].profile);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.pszText = const_cast<wchar_t*>(bindings[row].program.c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(profile.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  }
  const int selected = editor_.selection();
  if (selected >= 0) {
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
  }
  ShowSelection();
  filling_ = false;
}

void ProgramsDialogWindow::ShowSelection() {
  const int selected = editor_.selection();
  const int profile = selected >= 0 ? editor_.bindings()[static_cast<size_t>(selected)].profile : 0;
  SendMessageW(Item(IDC_PROGRAM_PROFILE), CB_SETCURSEL, static_cast<WPARAM>(profile - 1), 0);
  EnableWindow(Item(IDC_PROGRAM_PROFILE), selected >= 0);
  EnableWindow(Item(IDC_PROGRAM_REMOVE), selected >= 0);
}

LRESULT ProgramsDialogWindow::OnNotify(UINT, WPARAM, LPARAM lParam, bool& handled) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header == nullptr || header->idFrom != IDC_PROGRAM_LIST || header->code != LVN_ITEMCHANGED) {
    handled = false;
    return 0;
  }
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
  if (filling_ || (change->uChanged & LVIF_STATE) == 0) return 0;
  if ((change->uNewState & LVIS_SELECTED) != 0) {
    editor_.Select(change->iItem);
  } else if ((change->uOldState & LVIS_SELECTED) != 0 && change->iItem == editor_.selection()) {
    editor_.Select(-1);
  }
  ShowSelection();
  return 0;
}

void ProgramsDialogWindow::OnAdd() {
  // A menu under the button: the programs with a window open now, then a file of one's choice.
  const std::vector<OpenProgram> offered = ProgramsToOffer(OpenPrograms(), editor_.bindings());
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  for (size_t i = 0; i < offered.size(); ++i) {
    AppendMenuW(menu.get(), MF_STRING, ID_OFFERED_PROGRAM_BASE + static_cast<UINT>(i), OfferLabel(offered[i]).c_str());
  }
  if (!offered.empty()) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.get(), MF_STRING, ID_BROWSE_PROGRAM, std::wstring(Text(TextId::ProgramsBrowse)).c_str());
  RECT button{};
  GetWindowRect(Item(IDC_PROGRAM_ADD), &button);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                        button.left, button.bottom, 0, hwnd(), nullptr));
  std::wstring path;
  if (chosen == ID_BROWSE_PROGRAM) {
    if (const auto file = ChooseFile(hwnd(), kProgramDialog, false)) path = *file;
  } else if (chosen >= ID_OFFERED_PROGRAM_BASE && chosen < ID_OFFERED_PROGRAM_BASE + offered.size()) {
    path = offered[chosen - ID_OFFERED_PROGRAM_BASE].path;
  }
  if (!path.empty() && editor_.Add(path)) ShowBindings();
}

void ProgramsDialogWindow::OnRemove() {
  editor_.RemoveSelected();
  ShowBindings();
}

void ProgramsDialogWindow::OnProfileChosen() {
  if (filling_) return;
  editor_.SetProfile(static_cast<int>(SendMessageW(Item(IDC_PROGRAM_PROFILE), CB_GETCURSEL, 0, 0)) + 1);
  ShowBindings();
}

LRESULT ProgramsDialogWindow::OnClose(WORD, WORD id, HWND, bool&) {
  EndDialog(hwnd(), id);
  return 0;
}

}  // namespace orvelle

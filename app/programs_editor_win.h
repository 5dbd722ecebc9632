#pragma once

#include <windows.h>

#include "app/programs_editor.h"
#include "platform/win32/dialog_base_win.h"
#include "resources/resource.h"

namespace orvelle {

// The program bindings dialog: the bound programs with their profiles, a program added from
// those with a window open now or from a file, its profile changed, removed. It edits a copy;
// after OK the caller takes bindings().
class ProgramsDialogWindow final : public DialogBase {
 public:
  explicit ProgramsDialogWindow(ProgramBindings bindings) : editor_(std::move(bindings)) {}
  const ProgramBindings& bindings() const { return editor_.bindings(); }

 private:
  BEGIN_MSG_MAP()
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    COMMAND_CODE_HANDLER_EX(IDC_PROGRAM_ADD, BN_CLICKED, OnAdd)
    COMMAND_CODE_HANDLER_EX(IDC_PROGRAM_REMOVE, BN_CLICKED, OnRemove)
    COMMAND_CODE_HANDLER_EX(IDC_PROGRAM_PROFILE, CBN_SELCHANGE, OnProfileChosen)
    COMMAND_ID_HANDLER(IDOK, OnClose)
    COMMAND_ID_HANDLER(IDCANCEL, OnClose)
  END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnNotify(UINT, WPARAM, LPARAM, bool&);
  void OnAdd();
  void OnRemove();
  void OnProfileChosen();
  LRESULT OnClose(WORD, WORD id, HWND, bool&);

  // The list and the controls that act on its selection, as the editor has them.
  void ShowBindings();
  void ShowSelection();
  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }

  ProgramsEditor editor_;
  bool filling_ = false;  // the list's own selection notices while it is refilled are no news
};

}  // namespace orvelle

#pragma once

#include "platform/win32/dialog_base_win.h"

namespace orvelle {

// The about box: product name, the version its version resource carries, description, notice
// and address; OK, Esc or the close box end it.
class AboutBox final : public DialogBase {
 private:
  BEGIN_MSG_MAP()
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnClose)
    COMMAND_ID_HANDLER(IDCANCEL, OnClose)
  END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnClose(WORD, WORD id, HWND, bool&) {
    EndDialog(hwnd(), id);
    return 0;
  }
};

}  // namespace orvelle

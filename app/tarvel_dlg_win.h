#pragma once

#include <windows.h>

#include <string>

#include "app/dialog_base_win.h"
#include "engine/injection_worker_win.h"
#include "engine/output_queue.h"
#include "model/key_table.h"
#include "model/profile_set.h"
#include "platform/win32/win32_ini.h"
#include "resources/resource.h"

namespace orvelle {

// The main window: the keyboard picture, the profiles and everything that lives as long as the
// user interface does, remap hook and injection worker included.
class CTarvelDlg final : public DialogBase {
 public:
  explicit CTarvelDlg(HINSTANCE instance);
  ~CTarvelDlg() override;

  // The window property a second start looks for to bring this window forward.
  static constexpr const wchar_t* kInstanceProperty = L"game keyboard";

 private:
  BEGIN_MSG_MAP()
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_SHOWWINDOW, OnShowWindow)
    MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
    MESSAGE_HANDLER(WM_QUERYENDSESSION, OnQueryEndSession)
    MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
#ifdef ORVELLE_E2E
    MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
#endif
    COMMAND_ID_HANDLER(ID_APP_EXIT_COMMAND, OnExitApplication)
  END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnShowWindow(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDeviceChange(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnQueryEndSession(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnEndSession(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool&);
  LRESULT OnExitApplication(WORD, WORD, HWND, bool&);
#ifdef ORVELLE_E2E
  LRESULT OnCopyData(UINT, WPARAM, LPARAM, bool&);
#endif

  // Presence and hook move together: found keyboard, hook in; lost keyboard, hook out.
  void SetKeyboardPresent(bool present);
  void SaveProfiles();

  HINSTANCE instance_;
  std::wstring folder_;  // the executable's folder, with its trailing backslash
  Win32Ini ini_;
  KeyTable table_;
  ProfileSet profiles_;
  bool keyboardPresent_ = true;
  // The worker reads the queue until it has stopped, so the queue is declared (and built) first.
  OutputQueue queue_;
  InjectionWorker worker_;
};

}  // namespace orvelle

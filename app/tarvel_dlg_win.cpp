#include "app/tarvel_dlg_win.h"

#include <dbt.h>

#include "device/hid_win.h"
#include "device/presence.h"
#include "engine/remap_hook_win.h"
#include "model/profile_file.h"

namespace orvelle {
namespace {

std::wstring ExecutableFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return FolderOf(std::wstring(path, length));
}

}  // namespace

CTarvelDlg::CTarvelDlg(HINSTANCE instance)
    : instance_(instance), folder_(ExecutableFolder()), worker_(queue_) {
  InitKeyMaps(profiles_);
  BindRemapHook(RemapHookTargets{&profiles_, &keyboardPresent_, &queue_});
}

CTarvelDlg::~CTarvelDlg() { BindRemapHook(RemapHookTargets{}); }

void CTarvelDlg::SetKeyboardPresent(bool present) {
  if (present) {
    InstallRemapHook(instance_);
  } else {
    RemoveRemapHook();
  }
  keyboardPresent_ = present;
}

LRESULT CTarvelDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  SetWindowTextW(hwnd(), L"ORVELLE");
  SetPropW(hwnd(), kInstanceProperty, reinterpret_cast<HANDLE>(1));
  SetKeyboardPresent(IsKeyboardPresent(hwnd()));
  profiles_.working.assignedSlots.clear();
  LoadLayout(ini_, folder_ + L"Main.ini", table_);
  LoadAllProfiles(ini_, ProfileFilePath(folder_), table_, profiles_);
  profiles_.pending = false;
  return TRUE;
}

LRESULT CTarvelDlg::OnShowWindow(UINT, WPARAM, LPARAM, bool& handled) {
  RegisterDeviceNotices(hwnd());
  handled = false;  // the dialog's own show handling still runs
  return 0;
}

LRESULT CTarvelDlg::OnDeviceChange(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
  const DeviceEvent event = wParam == DBT_DEVICEARRIVAL          ? DeviceEvent::Arrival
                            : wParam == DBT_DEVICEREMOVECOMPLETE ? DeviceEvent::RemoveComplete
                                                                 : DeviceEvent::Other;
  if (event == DeviceEvent::Other || header == nullptr) return TRUE;
  std::wstring_view path;
  if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
    path = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header)->dbcc_name;
  }
  switch (DecideDeviceNotice(event, header->dbch_devicetype, path)) {
    case PresenceChange::Arrived:
      SetKeyboardPresent(true);
      break;
    case PresenceChange::Left:
      SetKeyboardPresent(false);
      break;
    case PresenceChange::None:
      break;
  }
  return TRUE;
}

LRESULT CTarvelDlg::OnQueryEndSession(UINT, WPARAM, LPARAM, bool&) {
  // Windows may end the process right after the session ends, without WM_DESTROY: save first.
  SaveProfiles();
  return TRUE;
}

LRESULT CTarvelDlg::OnEndSession(UINT, WPARAM wParam, LPARAM, bool&) {
  if (wParam) SaveProfiles();
  return 0;
}

LRESULT CTarvelDlg::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  SaveProfiles();
  RemovePropW(hwnd(), kInstanceProperty);
  handled = false;
  return 0;
}

LRESULT CTarvelDlg::OnExitApplication(WORD, WORD, HWND, bool&) {
  RemoveRemapHook();
  EndDialog(hwnd(), IDCANCEL);
  return 0;
}

void CTarvelDlg::SaveProfiles() { SaveAllProfiles(ini_, ProfileFilePath(folder_), table_, profiles_); }

#ifdef ORVELLE_E2E
LRESULT CTarvelDlg::OnCopyData(UINT, WPARAM, LPARAM lParam, bool&) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (data == nullptr || data->dwData != kSimulatedDeviceTag) return FALSE;
  const std::wstring_view text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
  if (text == L"status") return (IsRemapHookInstalled() ? 1 : 0) | (keyboardPresent_ ? 2 : 0);
  OnSimulatedDeviceCommand(hwnd(), text.data(), text.size());
  return TRUE;
}
#endif

}  // namespace orvelle

// Registration for HID arrival and removal notices, shared by the real and the simulated HID
// layers.
#include <windows.h>

#include <dbt.h>

#include "device/hid_win.h"

namespace orvelle {

UniqueDeviceNotify RegisterDeviceNotices(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kHidInterfaceClass;
  return UniqueDeviceNotify(RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
}

PresenceChange ReadDeviceNotice(WPARAM event, LPARAM data) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  const DeviceEvent kind = event == DBT_DEVICEARRIVAL          ? DeviceEvent::Arrival
                           : event == DBT_DEVICEREMOVECOMPLETE ? DeviceEvent::RemoveComplete
                                                               : DeviceEvent::Other;
  if (kind == DeviceEvent::Other || header == nullptr) return PresenceChange::None;
  std::wstring_view path;
  if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
    path = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header)->dbcc_name;
  }
  return DecideDeviceNotice(kind, header->dbch_devicetype, path);
}

}  // namespace orvelle

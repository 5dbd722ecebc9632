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

}  // namespace orvelle

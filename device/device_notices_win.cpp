// Registration for HID arrival and removal notices, shared by the real and the simulated HID
// layers.
#include <windows.h>

#include <dbt.h>
// hid.dll exports C names; the header does not say so for C++ on every toolchain.
extern "C" {
#include <hidsdi.h>
}

#include "device/hid_win.h"

namespace orvelle {

void RegisterDeviceNotices(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  HidD_GetHidGuid(&filter.dbcc_classguid);
  // The registration lives as long as the window; it is never withdrawn.
  RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

}  // namespace orvelle

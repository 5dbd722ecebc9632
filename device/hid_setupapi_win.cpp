// The real HID layer: SetupAPI enumeration and hid.dll attributes.
#include <windows.h>

#include <dbt.h>
// hid.dll exports C names; the header does not say so for C++ on every toolchain.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <new>

#include "device/hid_win.h"
#include "device/presence.h"

namespace orvelle {
namespace {

class DeviceInfoSet {
 public:
  explicit DeviceInfoSet(const GUID& hidClass)
      : set_(SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
  ~DeviceInfoSet() {
    if (valid()) SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceInfoSet(const DeviceInfoSet&) = delete;
  DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
  bool valid() const { return set_ != INVALID_HANDLE_VALUE; }
  HDEVINFO get() const { return set_; }

 private:
  HDEVINFO set_;
};

// The vendor ID of one interface, or nothing when its detail, opening or attributes fail.
// Sets `outOfMemory` when the detail buffer cannot be had.
std::optional<int> InterfaceVendor(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data, bool& outOfMemory) {
  DWORD size = 0;
  SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr);
  if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return std::nullopt;
  auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(::operator new(size, std::nothrow));
  if (detail == nullptr) {
    outOfMemory = true;
    return std::nullopt;
  }
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  HANDLE device = INVALID_HANDLE_VALUE;
  if (SetupDiGetDeviceInterfaceDetailW(set, &data, detail, size, nullptr, nullptr)) {
    device = CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ::operator delete(detail);
  if (device == INVALID_HANDLE_VALUE) return std::nullopt;
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  const bool read = HidD_GetAttributes(device, &attributes) != FALSE;
  CloseHandle(device);
  if (!read) return std::nullopt;
  return static_cast<int>(attributes.VendorID);
}

}  // namespace

bool IsKeyboardPresent(HWND owner) {
  GUID hidClass;
  HidD_GetHidGuid(&hidClass);
  const DeviceInfoSet set(hidClass);
  if (!set.valid()) return false;
  bool outOfMemory = false;
  DWORD index = 0;
  const bool found = FindSupportedKeyboard([&](std::optional<int>& vendor) {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    if (outOfMemory || !SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hidClass, index++, &data)) return false;
    vendor = InterfaceVendor(set.get(), data, outOfMemory);
    return !outOfMemory;
  });
  if (outOfMemory) {
    MessageBoxExW(owner, L"out of memory!", L"Клавиатура", MB_OKCANCEL | MB_ICONWARNING,
                  MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
    return false;
  }
  return found;
}

}  // namespace orvelle

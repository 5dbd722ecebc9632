// The real HID layer: SetupAPI enumeration and hid.dll attributes.
#include <windows.h>

#include <setupapi.h>

#include <memory>
#include <new>
#include <optional>

#include "device/hid_win.h"
#include "device/presence.h"
#include "platform/win32/dialog_base_win.h"

namespace orvelle {
namespace {

struct DeviceInfoSetTraits {
  using Handle = HDEVINFO;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { SetupDiDestroyDeviceInfoList(h); }
};
using UniqueDeviceInfoSet = Unique<DeviceInfoSetTraits>;

// hid.dll is not one of the system's known DLLs, so it is loaded by hand from the system folder
// rather than imported: an import would be looked for in the program's own folder first.
struct HidAttributes {
  ULONG Size;
  USHORT VendorID;
  USHORT ProductID;
  USHORT VersionNumber;
};
using GetAttributesFunction = BOOLEAN(WINAPI*)(HANDLE, HidAttributes*);

GetAttributesFunction HidGetAttributes() {
  static const UniqueModule hid = LoadSystemLibrary(L"hid.dll");
  static const auto function =
      hid ? reinterpret_cast<GetAttributesFunction>(reinterpret_cast<void*>(GetProcAddress(hid.get(), "HidD_GetAttributes")))
          : nullptr;
  return function;
}

// The vendor ID of one interface, or nothing when its detail, opening or attributes fail.
// Sets `outOfMemory` when the detail buffer cannot be had.
std::optional<int> InterfaceVendor(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data, bool& outOfMemory) {
  const GetAttributesFunction getAttributes = HidGetAttributes();
  if (getAttributes == nullptr) return std::nullopt;
  DWORD size = 0;
  SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr);
  if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return std::nullopt;
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
  if (buffer == nullptr) {
    outOfMemory = true;
    return std::nullopt;
  }
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.get());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!SetupDiGetDeviceInterfaceDetailW(set, &data, detail, size, nullptr, nullptr)) return std::nullopt;
  const UniqueFile device(CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!device) return std::nullopt;
  HidAttributes attributes{};
  attributes.Size = sizeof attributes;
  if (!getAttributes(device.get(), &attributes)) return std::nullopt;
  return static_cast<int>(attributes.VendorID);
}

}  // namespace

bool IsKeyboardPresent(HWND owner) {
  const UniqueDeviceInfoSet set(
      SetupDiGetClassDevsW(&kHidInterfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!set) return false;
  bool outOfMemory = false;
  DWORD index = 0;
  const bool found = FindSupportedKeyboard([&](std::optional<int>& vendor) {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    if (outOfMemory || !SetupDiEnumDeviceInterfaces(set.get(), nullptr, &kHidInterfaceClass, index++, &data)) {
      return false;
    }
    vendor = InterfaceVendor(set.get(), data, outOfMemory);
    return !outOfMemory;
  });
  if (outOfMemory) {
    ShowMessage(owner, L"out of memory!", MessageKind::Error);
    return false;
  }
  return found;
}

}  // namespace orvelle

#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace orvelle {

// Any HID interface of this vendor counts as the keyboard, whatever its product.
inline constexpr int kSupportedVendorId = 0x1A2C;

// 0..15 for a hexadecimal digit, 16 for anything else.
int HexDigitValue(wchar_t c);
// Pairs of hexadecimal digits to bytes, stopping at the first pair that is not one; an odd last
// digit is dropped.
std::vector<unsigned char> HexToBytes(std::wstring_view text);
// The vendor ID a device interface path carries after "vid_" ("\\?\hid#vid_1a2c&pid_2107#..."),
// in either case. A path without "vid" or with fewer than four hexadecimal digits after it
// names no vendor.
std::optional<int> VendorIdFromPath(std::wstring_view path);

enum class DeviceEvent { Arrival, RemoveComplete, Other };
enum class PresenceChange { None, Arrived, Left };

inline constexpr unsigned kDeviceTypeInterface = 5;  // DBT_DEVTYP_DEVICEINTERFACE

// What a device notice means for the keyboard: only interface notices whose path carries the
// supported vendor ID change anything.
PresenceChange DecideDeviceNotice(DeviceEvent event, unsigned deviceType, std::wstring_view path);

// Walks the present HID interfaces until one has the supported vendor ID. `next(vendor)` moves to
// the next interface and returns false past the last; `vendor` stays empty for an interface whose
// attributes could not be read. The first match ends the walk.
template <typename Next>
bool FindSupportedKeyboard(Next next) {
  std::optional<int> vendor;
  while (next(vendor)) {
    if (vendor == kSupportedVendorId) return true;
    vendor.reset();
  }
  return false;
}

}  // namespace orvelle

#include "device/presence.h"

#include <string>

namespace orvelle {

int HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return 16;
}

std::vector<unsigned char> HexToBytes(std::wstring_view text) {
  std::vector<unsigned char> bytes;
  for (size_t j = 0; j + 1 < text.size(); j += 2) {
    const int high = HexDigitValue(text[j]);
    const int low = HexDigitValue(text[j + 1]);
    if (high == 16 || low == 16) break;
    bytes.push_back(static_cast<unsigned char>(high * 16 + low));
  }
  return bytes;
}

std::optional<int> VendorIdFromPath(std::wstring_view path) {
  std::wstring lower(path);
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  }
  const size_t vid = lower.find(L"vid");
  if (vid == std::wstring::npos) return std::nullopt;
  std::wstring_view rest(lower);
  rest.remove_prefix(std::min(rest.size(), vid + 4));  // "vid" and the underscore after it
  rest = rest.substr(0, rest.find(L'&'));
  const std::vector<unsigned char> bytes = HexToBytes(rest);
  if (bytes.size() < 2) return std::nullopt;
  return bytes[0] * 256 + bytes[1];
}

PresenceChange DecideDeviceNotice(DeviceEvent event, unsigned deviceType, std::wstring_view path) {
  if (event == DeviceEvent::Other || deviceType != kDeviceTypeInterface) return PresenceChange::None;
  if (VendorIdFromPath(path) != kSupportedVendorId) return PresenceChange::None;
  return event == DeviceEvent::Arrival ? PresenceChange::Arrived : PresenceChange::Left;
}

}  // namespace orvelle

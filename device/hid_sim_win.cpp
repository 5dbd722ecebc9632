// The simulated HID layer of the test build. The device list comes from "e2e-devices.txt" beside
// the executable and changes through WM_COPYDATA; vendor IDs are read from the paths with the
// same parser the device notices use.
#include <windows.h>

#include <dbt.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/hid_sim_win.h"
#include "device/hid_win.h"
#include "device/presence.h"
#include "platform/win32/executable_win.h"
#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"

namespace orvelle {
namespace {

std::vector<std::wstring>& Devices() {
  static std::vector<std::wstring> devices = [] {
    std::vector<std::wstring> list;
    std::string bytes;
    if (!ReadFileBytes(ExecutableFolder() + L"e2e-devices.txt", bytes)) return list;
    TextEncoding encoding;
    const std::wstring text = DecodeText(bytes, encoding);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(L'\n', start);
      if (end == std::wstring::npos) end = text.size();
      std::wstring line = text.substr(start, end - start);
      while (!line.empty() && (line.back() == L'\r' || line.back() == L' ')) line.pop_back();
      if (!line.empty()) list.push_back(line);
      start = end + 1;
    }
    return list;
  }();
  return devices;
}

}  // namespace

bool IsKeyboardPresent(HWND) {
  const std::vector<std::wstring>& devices = Devices();
  size_t index = 0;
  return FindSupportedKeyboard([&](std::optional<int>& vendor) {
    if (index >= devices.size()) return false;
    vendor = VendorIdFromPath(devices[index++]);
    return true;
  });
}

void OnSimulatedDeviceCommand(HWND window, const wchar_t* text, size_t length) {
  const std::wstring_view command(text, length);
  const bool arrive = command.starts_with(L"arrive ");
  if (!arrive && !command.starts_with(L"remove ")) return;
  const std::wstring path(command.substr(7));
  std::vector<std::wstring>& devices = Devices();
  if (arrive) {
    devices.push_back(path);
  } else {
    devices.erase(std::remove(devices.begin(), devices.end(), path), devices.end());
  }
  // The notice the system would send, with the path inline after the fixed part.
  std::vector<BYTE> buffer(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + path.size() * sizeof(wchar_t));
  auto* notice = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buffer.data());
  notice->dbcc_size = static_cast<DWORD>(buffer.size());
  notice->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  std::copy(path.begin(), path.end(), notice->dbcc_name);
  notice->dbcc_name[path.size()] = L'\0';
  SendMessageW(window, WM_DEVICECHANGE, arrive ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
               reinterpret_cast<LPARAM>(notice));
}

}  // namespace orvelle

#include "app/about_box_win.h"

#include <winver.h>

#include <string>
#include <vector>

#include "app/ui_language_win.h"
#include "base/texts.h"
#include "resources/resource.h"

namespace orvelle {
namespace {

// "1.2.3" from the executable's own version resource (its fixed part), so that the box shows the
// number Explorer shows; empty when the resource cannot be read.
std::wstring OwnVersion() {
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
      infoSize < sizeof(VS_FIXEDFILEINFO)) {
    return {};
  }
  return std::to_wstring(HIWORD(info->dwProductVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwProductVersionMS)) +
         L"." + std::to_wstring(HIWORD(info->dwProductVersionLS));
}

}  // namespace

LRESULT AboutBox::OnInitDialog(UINT, WPARAM, LPARAM, bool&) {
  SetWindowTextW(hwnd(), std::wstring(Text(TextId::AboutTitle)).c_str());
  ApplyDialogTexts(hwnd(), AboutBoxTexts());
  const std::wstring version = OwnVersion();
  if (!version.empty()) {
    SetDlgItemTextW(hwnd(), IDC_ABOUT_VERSION, (std::wstring(Text(TextId::AboutVersion)) + version).c_str());
  }
  return TRUE;
}

}  // namespace orvelle

#include "app/tray_icon_win.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "app/main_window.h"
#include "app/tray_icon.h"

namespace orvelle {

bool TrayIcon::Add(HWND window, HICON icon, const std::wstring& tip) {
  data_ = NOTIFYICONDATAW{};
  data_.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data_.hWnd = window;
  data_.uID = kTrayIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kTrayCallbackMessage;
  data_.hIcon = icon;
  wcsncpy_s(data_.szTip, tip.c_str(), _TRUNCATE);
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  return added_;
}

void TrayIcon::Refresh(HICON icon) {
  data_.hIcon = icon;
  if (added_) Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::SetTip(const std::wstring& tip) {
  wcsncpy_s(data_.szTip, tip.c_str(), _TRUNCATE);
  if (added_) Shell_NotifyIconW(NIM_MODIFY, &data_);
}

bool TrayIcon::Restore() {
  if (data_.hWnd == nullptr) return false;
  // A refusal that timed out may still have added the icon: then it only needs its state.
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE || Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE;
  return added_;
}

bool TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  if (!added_) return false;
  NOTIFYICONDATAW balloon = data_;
  balloon.uFlags = NIF_INFO;
  wcsncpy_s(balloon.szInfoTitle, title.c_str(), _TRUNCATE);
  wcsncpy_s(balloon.szInfo, text.c_str(), _TRUNCATE);
  balloon.dwInfoFlags = NIIF_INFO;
  return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;
}

void TrayIcon::Remove() {
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}

namespace {

// The icon's picture as 0xAARRGGBB pixels, top row first; empty when it cannot be read. An icon
// without alpha takes its transparency from its mask.
std::vector<uint32_t> IconPixels(HICON icon, int size) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  const UniqueBitmap colour(info.hbmColor);
  const UniqueBitmap mask(info.hbmMask);
  if (!colour) return {};
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = size;
  format.bmiHeader.biHeight = -size;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
  bool read = false;
  std::vector<uint32_t> transparent;
  {
    const WindowDc screen(nullptr);
    read = GetDIBits(screen.get(), colour.get(), 0, static_cast<UINT>(size), pixels.data(), &format, DIB_RGB_COLORS) == size;
    if (read && std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) == 0; }) && mask) {
      transparent.resize(pixels.size());
      GetDIBits(screen.get(), mask.get(), 0, static_cast<UINT>(size), transparent.data(), &format, DIB_RGB_COLORS);
    }
  }
  if (!read) return {};
  if (!transparent.empty()) {
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] |= (transparent[i] & 0xFFFFFF) == 0 ? 0xFF000000u : 0;
  }
  return pixels;
}

}  // namespace

int RealTrayIconSize() {
  using SetThreadAwareness = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using DpiForSystem = UINT(WINAPI*)();
  using MetricsForDpi = int(WINAPI*)(int, UINT);
  const HMODULE user = GetModuleHandleW(L"user32.dll");
  const auto setAwareness = reinterpret_cast<SetThreadAwareness>(
      reinterpret_cast<void*>(GetProcAddress(user, "SetThreadDpiAwarenessContext")));
  const auto dpiForSystem =
      reinterpret_cast<DpiForSystem>(reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForSystem")));
  const auto metricsForDpi =
      reinterpret_cast<MetricsForDpi>(reinterpret_cast<void*>(GetProcAddress(user, "GetSystemMetricsForDpi")));
  if (setAwareness != nullptr && dpiForSystem != nullptr && metricsForDpi != nullptr) {
    const DPI_AWARENESS_CONTEXT previous = setAwareness(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
    const UINT dpi = dpiForSystem();
    if (previous != nullptr) setAwareness(previous);
    return TrayIconSize(metricsForDpi(SM_CXSMICON, dpi), dpi);
  }
  // Older systems (and Wine) do not scale for an unaware program: the screen's DPI is the real one.
  const int dpi = GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSX);
  return TrayIconSize(dpi == 96 ? GetSystemMetrics(SM_CXSMICON) : 0, static_cast<unsigned>(dpi > 0 ? dpi : 96));
}

unsigned WindowsBuild() {
  using GetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto getVersion = reinterpret_cast<GetVersionCall>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (getVersion == nullptr || getVersion(&version) != 0) return 0;
  return version.dwBuildNumber;
}

UniqueIcon BadgedTrayIcon(HINSTANCE instance, int iconId, int profile, TrayMode mode, int size) {
  UniqueIcon plain(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, 0)));
  if (!plain) return plain;
  const std::vector<uint32_t> pixels = IconPixels(plain.get(), size);
  if (pixels.empty()) return plain;
  const std::vector<uint32_t> badged = TrayIconPicture(pixels, size, profile, mode);
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = size;
  header.bV5Height = -size;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  UniqueBitmap colour(
      CreateDIBSection(WindowDc(nullptr).get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
  // The mask is all black (rows of whole 16-bit words): the alpha channel says what shows.
  const std::vector<uint8_t> black(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
  UniqueBitmap mask(CreateBitmap(size, size, 1, 1, black.data()));
  if (!colour || !mask || bits == nullptr) return plain;
  std::memcpy(bits, badged.data(), badged.size() * sizeof(uint32_t));
  ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
  UniqueIcon result(CreateIconIndirect(&info));
  return result ? std::move(result) : std::move(plain);
}

}  // namespace orvelle

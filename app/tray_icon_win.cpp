#include "app/tray_icon_win.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "app/main_window.h"
#include "app/tray_icon.h"

namespace orvelle {

void TrayIcon::Add(HWND window, HICON icon, const std::wstring& tip) {
  data_ = NOTIFYICONDATAW{};
  data_.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data_.hWnd = window;
  data_.uID = kTrayIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kTrayCallbackMessage;
  data_.hIcon = icon;
  wcsncpy_s(data_.szTip, tip.c_str(), _TRUNCATE);
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

void TrayIcon::Refresh(HICON icon) {
  if (!added_) return;
  data_.hIcon = icon;
  Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::SetTip(const std::wstring& tip) {
  wcsncpy_s(data_.szTip, tip.c_str(), _TRUNCATE);
  if (added_) Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::Restore() {
  if (data_.hWnd != nullptr) added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
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

UniqueIcon BadgedTrayIcon(HINSTANCE instance, int iconId, int profile) {
  const int size = GetSystemMetrics(SM_CXSMICON) > 0 ? GetSystemMetrics(SM_CXSMICON) : 16;
  UniqueIcon plain(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, 0)));
  if (!plain) return plain;
  const std::vector<uint32_t> pixels = IconPixels(plain.get(), size);
  if (pixels.empty()) return plain;
  const std::vector<uint32_t> badged = BadgedIcon(pixels, size, profile);
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

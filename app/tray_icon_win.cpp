#include "app/tray_icon_win.h"

#include <cwchar>

#include "app/main_window.h"

namespace orvelle {

void TrayIcon::Add(HWND window, HICON icon) {
  data_ = NOTIFYICONDATAW{};
  data_.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data_.hWnd = window;
  data_.uID = kTrayIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kTrayCallbackMessage;
  data_.hIcon = icon;
  wcscpy_s(data_.szTip, L"ORVELLE");
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

void TrayIcon::Refresh(HICON icon) {
  if (!added_) return;
  data_.hIcon = icon;
  Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::Restore() {
  if (data_.hWnd != nullptr) added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

void TrayIcon::Remove() {
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}

}  // namespace orvelle

#include "assign/recording_hook_win.h"

namespace orvelle {
namespace {

constexpr UINT kRecordedKeyMessage = WM_USER + 102;

HHOOK g_recordingHook = nullptr;
HWND g_recordingDialog = nullptr;  // the only window the hook ever addresses

LRESULT CALLBACK RecordingHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  switch (wParam) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (g_recordingDialog != nullptr) SendMessageW(g_recordingDialog, kRecordedKeyMessage, wParam, lParam);
      return 1;
    default:
      return CallNextHookEx(g_recordingHook, code, wParam, lParam);
  }
}

}  // namespace

void InstallRecordingHook(HINSTANCE instance, HWND dialog) {
  g_recordingDialog = dialog;
  if (g_recordingHook != nullptr) return;
  g_recordingHook = SetWindowsHookExW(WH_KEYBOARD_LL, RecordingHookProc, instance, 0);
}

void RemoveRecordingHook() {
  if (g_recordingHook != nullptr && UnhookWindowsHookEx(g_recordingHook)) g_recordingHook = nullptr;
}

bool IsRecordingHookInstalled() { return g_recordingHook != nullptr; }

}  // namespace orvelle

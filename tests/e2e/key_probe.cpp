// The end-to-end tests' keyboard witness: one window that writes every key message it receives
// to a log file, one line per event, each stamped with the Unix time in microseconds.
//
//   key_probe.exe <log file> [--hook]
//
// Lines (fields after the time and the event name are key=value):
//   <us> START pid=<n>
//   <us> READY hwnd=0x<h>                      the window is shown, foreground and focused
//   <us> KEYDOWN|KEYUP|SYSKEYDOWN|SYSKEYUP vk=<n> lparam=0x<h> ext=<0|1> repeat=<0|1> numlock=<0|1>
//   <us> CHAR|SYSCHAR code=0x<h>
//   <us> FOCUS gained|lost
//   <us> HOOK vk=<n> flags=0x<h>               with --hook: what a low-level hook saw
//
// The time comes from GetSystemTimePreciseAsFileTime, which under Wine reads the host's
// CLOCK_REALTIME, so the test harness on the Linux side can put its own clock beside it.
#include <windows.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>

namespace {

constexpr wchar_t kClassName[] = L"OrvelleKeyProbe";
constexpr wchar_t kTitle[] = L"ORVELLE key probe";
constexpr UINT_PTR kReadyTimer = 1;
constexpr UINT kReadyPollMs = 10;
constexpr int kForegroundRetryTicks = 20;
// Wine lets a key event bypass every low-level hook when the thread owning the first hook of
// the chain has not fetched a message for 5 seconds (it takes that thread for hung). The probe's
// thread, idle in GetMessage, met that rule and the first key after a pause went past all hooks;
// a timer that fires every second keeps it fetching.
constexpr UINT_PTR kAwakeTimer = 2;
constexpr UINT kAwakeIntervalMs = 1000;

HANDLE g_log = INVALID_HANDLE_VALUE;
HHOOK g_hook = nullptr;
int g_readyTicks = 0;

long long UnixMicroseconds() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const unsigned long long ticks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  constexpr unsigned long long kUnixEpochTicks = 116444736000000000ULL;  // 1970-01-01 in 100 ns ticks
  return static_cast<long long>((ticks - kUnixEpochTicks) / 10);
}

// One unbuffered write per line: the harness tails the file and must see every event at once.
void LogLine(const char* format, ...) {
  char line[256];
  int length = std::snprintf(line, sizeof line, "%lld ", UnixMicroseconds());
  va_list args;
  va_start(args, format);
  const int rest = std::vsnprintf(line + length, sizeof line - static_cast<size_t>(length) - 1, format, args);
  va_end(args);
  if (rest < 0) return;
  length = lstrlenA(line);
  line[length++] = '\n';
  DWORD written = 0;
  WriteFile(g_log, line, static_cast<DWORD>(length), &written, nullptr);
}

const char* KeyMessageName(UINT message) {
  switch (message) {
    case WM_KEYDOWN: return "KEYDOWN";
    case WM_KEYUP: return "KEYUP";
    case WM_SYSKEYDOWN: return "SYSKEYDOWN";
    default: return "SYSKEYUP";
  }
}

void LogKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto bits = static_cast<unsigned long>(lParam);
  LogLine("%s vk=%u lparam=0x%08lX ext=%lu repeat=%d numlock=%d", KeyMessageName(message),
          static_cast<unsigned>(wParam), bits, (bits >> 24) & 1,
          (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && (bits & 0x40000000UL) ? 1 : 0,
          GetKeyState(VK_NUMLOCK) & 1);
}

// A mouse button's message: which button, down or up, and where in the client area.
void LogMouseButton(UINT message, WPARAM wParam, LPARAM lParam) {
  const char* button = "left";
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      button = "right";
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      button = "middle";
      break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      button = GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? "x1" : "x2";
      break;
    default:
      break;
  }
  const bool down =
      message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_XBUTTONDOWN;
  LogLine("%s button=%s x=%d y=%d", down ? "BUTTONDOWN" : "BUTTONUP", button,
          static_cast<int>(static_cast<short>(LOWORD(lParam))), static_cast<int>(static_cast<short>(HIWORD(lParam))));
}

LRESULT CALLBACK ProbeHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  if (code == HC_ACTION) {
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    LogLine("HOOK vk=%lu flags=0x%02lX", event->vkCode, event->flags);
  }
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

// Keys are only worth sending once the window is the foreground window and holds the focus;
// until then the probe keeps asking for the foreground, as a window created from a console may
// not get it on the first try.
void OnReadyTimer(HWND window) {
  if (GetForegroundWindow() == window && GetFocus() == window) {
    KillTimer(window, kReadyTimer);
    LogLine("READY hwnd=0x%llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return;
  }
  if (++g_readyTicks % kForegroundRetryTicks == 0) {
    SetForegroundWindow(window);
    SetFocus(window);
  }
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      LogKeyMessage(message, wParam, lParam);
      return 0;  // Not to DefWindowProc: Alt and F10 would enter menu mode and take later keys.
    case WM_CHAR:
    case WM_SYSCHAR:
      LogLine("%s code=0x%04X", message == WM_CHAR ? "CHAR" : "SYSCHAR", static_cast<unsigned>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      LogMouseButton(message, wParam, lParam);
      return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP ? TRUE : 0;
    case WM_MOUSEWHEEL:
      LogLine("WHEEL delta=%d", static_cast<int>(GET_WHEEL_DELTA_WPARAM(wParam)));
      return 0;
    case WM_SETFOCUS:
      LogLine("FOCUS gained");
      return 0;
    case WM_KILLFOCUS:
      LogLine("FOCUS lost");
      return 0;
    case WM_TIMER:
      if (wParam == kReadyTimer) OnReadyTimer(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 2;
  g_log = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool withHook = argc >= 3 && lstrcmpiW(argv[2], L"--hook") == 0;
  LocalFree(argv);
  if (g_log == INVALID_HANDLE_VALUE) return 3;
  LogLine("START pid=%lu", GetCurrentProcessId());

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassW(&windowClass)) return 4;
  // Top left of the desktop, clear of the program's centred main window.
  HWND window = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, 0, 0, 320, 160, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return 5;
  if (withHook) g_hook = SetWindowsHookExW(WH_KEYBOARD_LL, ProbeHookProc, instance, 0);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetForegroundWindow(window);
  SetFocus(window);
  SetTimer(window, kReadyTimer, kReadyPollMs, nullptr);
  SetTimer(window, kAwakeTimer, kAwakeIntervalMs, nullptr);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (g_hook != nullptr) UnhookWindowsHookEx(g_hook);
  CloseHandle(g_log);
  return 0;
}

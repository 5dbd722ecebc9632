// Remote control for the end-to-end tests, run under Wine in the program's prefix.
//
//   e2e_control send <text...>            WM_COPYDATA (0x44455643, UTF-16 text) to "ORVELLE";
//                                          prints SendMessage's result
//   e2e_control command <id>              posts WM_COMMAND <id> to "ORVELLE"
//   e2e_control post <msg> <wParam> <lParam>   posts any message to "ORVELLE" (numbers: 0x.. or decimal)
//   e2e_control find <title>              prints hwnd=0x.. pid=.. rect=left,top,right,bottom
//   e2e_control wait <title> <ms>         waits until a top-level window has that caption
//   e2e_control focus <title>             brings that window to the foreground
//   e2e_control foreground                the foreground window and the window with the focus
//   e2e_control proc <title>              memory and CPU times of the window's process
//   e2e_control clock                     the Unix time in microseconds, as the key probe stamps it
//
// Exit codes: 0 done, 1 no such window or the call failed, 2 bad usage, 3 the program did not
// answer within the timeout.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kMainWindowTitle[] = L"ORVELLE";
constexpr ULONG_PTR kDeviceVerbTag = 0x44455643;
constexpr UINT kSendTimeoutMs = 5000;

// Closes a kernel handle on every way out.
class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

unsigned long long Hex(HWND window) { return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)); }

unsigned long long Ticks(const FILETIME& ft) {
  return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool ParseNumber(const wchar_t* text, unsigned long long& value) {
  wchar_t* end = nullptr;
  value = std::wcstoull(text, &end, 0);
  return end != text && *end == L'\0';
}

HWND FindTopLevel(const wchar_t* title) { return FindWindowW(nullptr, title); }

HWND RequireWindow(const wchar_t* title) {
  HWND window = FindTopLevel(title);
  if (window == nullptr) std::fprintf(stderr, "no window titled \"%ls\"\n", title);
  return window;
}

int Send(int argc, wchar_t** argv) {
  std::wstring text;
  for (int i = 2; i < argc; ++i) {
    if (i > 2) text += L' ';
    text += argv[i];
  }
  HWND window = RequireWindow(kMainWindowTitle);
  if (window == nullptr) return 1;
  COPYDATASTRUCT data{};
  data.dwData = kDeviceVerbTag;
  data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  data.lpData = text.data();
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &result)) {
    std::fprintf(stderr, "no answer within %u ms\n", kSendTimeoutMs);
    return 3;
  }
  std::printf("%lld\n", static_cast<long long>(result));
  return 0;
}

int Post(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = RequireWindow(kMainWindowTitle);
  if (window == nullptr) return 1;
  return PostMessageW(window, message, wParam, lParam) ? 0 : 1;
}

int Find(const wchar_t* title) {
  HWND window = RequireWindow(title);
  if (window == nullptr) return 1;
  RECT rect{};
  GetWindowRect(window, &rect);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  std::printf("hwnd=0x%llX pid=%lu rect=%ld,%ld,%ld,%ld\n", Hex(window), pid, rect.left, rect.top, rect.right,
              rect.bottom);
  return 0;
}

int Wait(const wchar_t* title, unsigned long long timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (HWND window = FindTopLevel(title)) {
      std::printf("hwnd=0x%llX\n", Hex(window));
      return 0;
    }
    if (GetTickCount64() >= deadline) break;
    Sleep(10);
  }
  std::fprintf(stderr, "no window titled \"%ls\" within %llu ms\n", title, timeoutMs);
  return 1;
}

int Focus(const wchar_t* title) {
  HWND window = RequireWindow(title);
  if (window == nullptr) return 1;
  return SetForegroundWindow(window) ? 0 : 1;
}

void PrintWindow(const char* label, HWND window) {
  wchar_t title[128] = L"";
  if (window != nullptr) GetWindowTextW(window, title, 128);
  DWORD pid = 0;
  if (window != nullptr) GetWindowThreadProcessId(window, &pid);
  std::printf("%s=0x%llX pid=%lu title=\"%ls\"\n", label, Hex(window), pid, title);
}

int Foreground() {
  HWND foreground = GetForegroundWindow();
  PrintWindow("foreground", foreground);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (foreground != nullptr && GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info)) {
    PrintWindow("focus", info.hwndFocus);
  }
  return 0;
}

int Proc(const wchar_t* title) {
  HWND window = RequireWindow(title);
  if (window == nullptr) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (process.get() == nullptr) {
    std::fprintf(stderr, "cannot open process %lu\n", pid);
    return 1;
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessMemoryInfo(process.get(), &memory, sizeof memory) ||
      !GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) {
    std::fprintf(stderr, "cannot query process %lu\n", pid);
    return 1;
  }
  std::printf("pid=%lu working_set=%llu peak_working_set=%llu user_100ns=%llu kernel_100ns=%llu\n", pid,
              static_cast<unsigned long long>(memory.WorkingSetSize),
              static_cast<unsigned long long>(memory.PeakWorkingSetSize), Ticks(user), Ticks(kernel));
  return 0;
}

int Clock() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  constexpr unsigned long long kUnixEpochTicks = 116444736000000000ULL;
  std::printf("%llu\n", (Ticks(ft) - kUnixEpochTicks) / 10);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: e2e_control send <text...> | command <id> | post <msg> <wParam> <lParam> |\n"
               "       find <title> | wait <title> <ms> | focus <title> | foreground | proc <title> | clock\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::wstring verb = argv[1];
  unsigned long long a = 0, b = 0, c = 0;
  if (verb == L"send" && argc >= 3) return Send(argc, argv);
  if (verb == L"command" && argc == 3 && ParseNumber(argv[2], a)) {
    return Post(WM_COMMAND, static_cast<WPARAM>(a), 0);
  }
  if (verb == L"post" && argc == 5 && ParseNumber(argv[2], a) && ParseNumber(argv[3], b) &&
      ParseNumber(argv[4], c)) {
    return Post(static_cast<UINT>(a), static_cast<WPARAM>(b), static_cast<LPARAM>(c));
  }
  if (verb == L"find" && argc == 3) return Find(argv[2]);
  if (verb == L"wait" && argc == 4 && ParseNumber(argv[3], a)) return Wait(argv[2], a);
  if (verb == L"focus" && argc == 3) return Focus(argv[2]);
  if (verb == L"foreground" && argc == 2) return Foreground();
  if (verb == L"proc" && argc == 3) return Proc(argv[2]);
  if (verb == L"clock" && argc == 2) return Clock();
  return Usage();
}

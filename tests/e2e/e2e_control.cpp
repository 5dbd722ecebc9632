// Remote control for the end-to-end tests, run under Wine in the program's prefix.
//
//   e2e_control send <text...>            WM_COPYDATA (0x44455643, UTF-16 text) to "ORVELLE";
//                                          prints SendMessage's result
//   e2e_control command <id>              posts WM_COMMAND <id> to "ORVELLE"
//   e2e_control post <msg> <wParam> <lParam>   posts any message to "ORVELLE" (numbers: 0x.. or decimal)
//   e2e_control find <title>              prints hwnd=0x.. pid=.. rect=left,top,right,bottom
//   e2e_control wait <title> <ms>         waits until a top-level window has that caption
//   e2e_control focus <title>             brings that window to the foreground: focused_us=.. (asked)
//   e2e_control foreground                the foreground window and the window with the focus
//   e2e_control proc <title>              memory and CPU times of the window's process
//   e2e_control clock                     the Unix time in microseconds, as the key probe stamps it
//   e2e_control windows [title]           the top-level windows of the process that owns the window
//                                          with that caption ("ORVELLE" by default), one a line:
//                                          hwnd=0x.. visible=0|1 main=0|1 rect=l,t,r,b class="..." title="..."
//   e2e_control children <hwnd>           the child windows of a window, one a line: hwnd=0x.. id=..
//                                          visible=0|1 enabled=0|1 rect=l,t,r,b (screen) class="..."
//                                          [items=.. selected=..] text="..."
//   e2e_control launch <exe>              starts a program in its own folder: pid=.. start_us=..
//   e2e_control exit <ms>                 posts the exit command 32771 to "ORVELLE" and waits until its
//                                          process has ended: pid=.. posted_us=.. ended_us=..
//   e2e_control ask <hwnd> <msg> [<wParam> <lParam>]   sends a message without pointers (a count, an
//                                          index, a height) to any window and prints the answer
//   e2e_control screen                    screen size, the system's work area and the primary monitor's:
//                                          screen=w,h workarea=l,t,r,b monitor_work=l,t,r,b
//   e2e_control postto <hwnd> <msg> <wParam> <lParam>   posts any message to any window
//   e2e_control lock <path> <ms>          opens a file with no sharing at all, prints "locked", holds it
//                                          for <ms> milliseconds (another program keeping it locked)
//   e2e_control kill <title>              ends the process that owns that window at once, as the task
//                                          manager does (TerminateProcess): pid=..
//   e2e_control keydown <vk>              1 while the system holds that key down (GetAsyncKeyState),
//                                          else 0: what any program would read, focused or not
//
// Texts are printed as UTF-8; times (_us) are Unix times in microseconds, as "clock" prints them.
//
// Exit codes: 0 done, 1 no such window or the call failed, 2 bad usage, 3 the program did not
// answer within the timeout.
#include <windows.h>
#include <psapi.h>

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

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

// The property the program's main window carries (kInstanceName): its message boxes share its
// caption.
constexpr wchar_t kMainWindowProperty[] = L"game keyboard";

// The top-level window with that caption; of several, the program's main window.
HWND FindTopLevel(const wchar_t* title) {
  HWND first = FindWindowExW(nullptr, nullptr, nullptr, title);
  for (HWND window = first; window != nullptr; window = FindWindowExW(nullptr, window, nullptr, title)) {
    if (GetPropW(window, kMainWindowProperty) != nullptr) return window;
  }
  return first;
}

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

unsigned long long UnixMicroseconds() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  constexpr unsigned long long kUnixEpochTicks = 116444736000000000ULL;
  return (Ticks(ft) - kUnixEpochTicks) / 10;
}

int Focus(const wchar_t* title) {
  HWND window = RequireWindow(title);
  if (window == nullptr) return 1;
  const unsigned long long asked = UnixMicroseconds();
  if (!SetForegroundWindow(window)) return 1;
  std::printf("focused_us=%llu\n", asked);
  return 0;
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

// The process that owns the window with that caption, opened for `access`; null (and a message)
// when there is no such window or it cannot be opened.
HANDLE OpenWindowProcess(const wchar_t* title, DWORD access, DWORD& pid) {
  HWND window = RequireWindow(title);
  if (window == nullptr) return nullptr;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(access, FALSE, pid);
  if (process == nullptr) std::fprintf(stderr, "cannot open process %lu (error %lu)\n", pid, GetLastError());
  return process;
}

int Proc(const wchar_t* title) {
  DWORD pid = 0;
  UniqueHandle process(OpenWindowProcess(title, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, pid));
  if (process.get() == nullptr) return 1;
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


int KeyDown(unsigned virtualKey) {
  std::printf("%d\n", (GetAsyncKeyState(static_cast<int>(virtualKey & 0xFF)) & 0x8000) != 0 ? 1 : 0);
  return 0;
}

int Clock() {
  std::printf("%llu\n", UnixMicroseconds());
  return 0;
}

// UTF-8, so that Cyrillic captions survive whatever code page the C runtime assumes. Quotes and
// backslashes are escaped, and so is every control or line-breaking character (an icon's text is
// its resource number, U+FFFF then the number), so that one window stays one line.
std::string Utf8Quoted(const std::wstring& text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      escaped += L'\\';
      escaped += c;
    } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c >= 0xFFF0) {
      wchar_t code[8];
      std::swprintf(code, 8, L"\\u%04X", static_cast<unsigned>(c));
      escaped += code;
    } else {
      escaped += c;
    }
  }
  std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, nullptr, 0, nullptr,
                                                          nullptr)),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  if (!out.empty()) out.pop_back();  // the terminating NUL
  return "\"" + out + "\"";
}

std::wstring TextOf(HWND window) {
  // WM_GETTEXT, not GetWindowTextW: the latter does not ask windows of other processes.
  wchar_t text[512] = L"";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length)) {
    return L"";
  }
  return std::wstring(text, length < 512 ? length : 511);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = L"";
  GetClassNameW(window, name, 128);
  return name;
}

// Asks a control of another process for a number; messages without pointers cross processes.
long long Ask(HWND window, UINT message) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return -2;
  return static_cast<long long>(static_cast<LONG_PTR>(result));
}

struct WindowList {
  DWORD pid = 0;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
  auto* list = reinterpret_cast<WindowList*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == list->pid) list->windows.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectEveryTopLevel(HWND window, LPARAM context) {
  reinterpret_cast<WindowList*>(context)->windows.push_back(window);
  return TRUE;
}

// "windows <title>": the top-level windows of the process owning the window with that caption;
// "windows *": those of every process (a box of a second start, say).
int Windows(const wchar_t* title) {
  WindowList list;
  if (std::wstring_view(title) == L"*") {
    EnumWindows(CollectEveryTopLevel, reinterpret_cast<LPARAM>(&list));
  } else {
    HWND anchor = RequireWindow(title);
    if (anchor == nullptr) return 1;
    GetWindowThreadProcessId(anchor, &list.pid);
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&list));
  }
  for (HWND window : list.windows) {
    // Visibility first, then the place: a window is sized before it is shown, so a place read
    // after "visible" is never the one from before the show, however long this process waits
    // between the two reads on a busy machine.
    const bool visible = IsWindowVisible(window) != FALSE;
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("hwnd=0x%llX visible=%d main=%d rect=%ld,%ld,%ld,%ld class=%s title=%s\n", Hex(window),
                visible ? 1 : 0, GetPropW(window, kMainWindowProperty) != nullptr ? 1 : 0, rect.left, rect.top,
                rect.right, rect.bottom, Utf8Quoted(ClassOf(window)).c_str(), Utf8Quoted(TextOf(window)).c_str());
  }
  return 0;
}

int Children(unsigned long long handle) {
  HWND parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
  if (!IsWindow(parent)) {
    std::fprintf(stderr, "no window 0x%llX\n", handle);
    return 1;
  }
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    const bool visible = IsWindowVisible(child) != FALSE;  // before the place, as for top-level windows
    const bool enabled = IsWindowEnabled(child) != FALSE;
    RECT rect{};
    GetWindowRect(child, &rect);
    const std::wstring kind = ClassOf(child);
    std::string counts;
    if (lstrcmpiW(kind.c_str(), L"ComboBox") == 0) {
      counts = " items=" + std::to_string(Ask(child, CB_GETCOUNT)) +
               " selected=" + std::to_string(Ask(child, CB_GETCURSEL));
    } else if (lstrcmpiW(kind.c_str(), WC_LISTVIEWW) == 0) {
      counts = " items=" + std::to_string(Ask(child, LVM_GETITEMCOUNT)) +
               " selected=" + std::to_string(Ask(child, LVM_GETSELECTIONMARK));
    }
    std::printf("hwnd=0x%llX id=%d visible=%d enabled=%d rect=%ld,%ld,%ld,%ld class=%s%s text=%s\n", Hex(child),
                GetDlgCtrlID(child), visible ? 1 : 0, enabled ? 1 : 0, rect.left,
                rect.top, rect.right, rect.bottom, Utf8Quoted(kind).c_str(), counts.c_str(),
                Utf8Quoted(TextOf(child)).c_str());
  }
  return 0;
}

// Starts the program the way a user does (its own folder as the current one) and stamps the host
// clock right before the start; the harness watches the screen for the window.
int Launch(const wchar_t* exe) {
  std::wstring folder = exe;
  const size_t slash = folder.find_last_of(L"\\/");
  folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash);
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const unsigned long long start = UnixMicroseconds();
  if (!CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info)) {
    std::fprintf(stderr, "cannot start %ls (error %lu)\n", exe, GetLastError());
    return 1;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  std::printf("pid=%lu start_us=%llu\n", info.dwProcessId, start);
  return 0;
}

int ExitAndWait(unsigned long long timeoutMs) {
  HWND window = RequireWindow(kMainWindowTitle);
  if (window == nullptr) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (process.get() == nullptr) {
    std::fprintf(stderr, "cannot open process %lu\n", pid);
    return 1;
  }
  constexpr WPARAM kExitCommand = 32771;
  const unsigned long long posted = UnixMicroseconds();
  if (!PostMessageW(window, WM_COMMAND, kExitCommand, 0)) return 1;
  if (WaitForSingleObject(process.get(), static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "process %lu still runs %llu ms after the exit command\n", pid, timeoutMs);
    return 3;
  }
  std::printf("pid=%lu posted_us=%llu ended_us=%llu\n", pid, posted, UnixMicroseconds());
  return 0;
}

int AskWindow(unsigned long long handle, unsigned long long message, unsigned long long wParam,
              unsigned long long lParam) {
  HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
  DWORD_PTR result = 0;
  if (!IsWindow(window) || !SendMessageTimeoutW(window, static_cast<UINT>(message), static_cast<WPARAM>(wParam),
                                                static_cast<LPARAM>(lParam), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                                                &result)) {
    std::fprintf(stderr, "window 0x%llX did not answer message 0x%llX\n", handle, message);
    return 1;
  }
  std::printf("%lld\n", static_cast<long long>(static_cast<LONG_PTR>(result)));
  return 0;
}

int Screen() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
  std::printf("screen=%d,%d workarea=%ld,%ld,%ld,%ld monitor_work=%ld,%ld,%ld,%ld\n", GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN), work.left, work.top, work.right, work.bottom, monitor.rcWork.left,
              monitor.rcWork.top, monitor.rcWork.right, monitor.rcWork.bottom);
  return 0;
}

int PostTo(unsigned long long handle, unsigned long long message, unsigned long long wParam,
           unsigned long long lParam) {
  HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
  if (!IsWindow(window)) {
    std::fprintf(stderr, "no window 0x%llX\n", handle);
    return 1;
  }
  return PostMessageW(window, static_cast<UINT>(message), static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam))
             ? 0
             : 1;
}

int Lock(const wchar_t* path, unsigned long long ms) {
  HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot open %ls (error %lu)\n", path, GetLastError());
    return 1;
  }
  std::printf("locked\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(ms));
  CloseHandle(file);
  return 0;
}

int Kill(const wchar_t* title) {
  DWORD pid = 0;
  UniqueHandle process(OpenWindowProcess(title, PROCESS_TERMINATE | SYNCHRONIZE, pid));
  if (process.get() == nullptr) return 1;
  if (!TerminateProcess(process.get(), 1)) {
    std::fprintf(stderr, "cannot end process %lu (error %lu)\n", pid, GetLastError());
    return 1;
  }
  WaitForSingleObject(process.get(), 5000);
  std::printf("pid=%lu\n", pid);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: e2e_control send <text...> | command <id> | post <msg> <wParam> <lParam> |\n"
               "       find <title> | wait <title> <ms> | focus <title> | foreground | proc <title> | clock |\n"
               "       windows [title] | children <hwnd> | launch <exe> | exit <ms> |\n"
               "       ask <hwnd> <msg> [<wParam> <lParam>] | screen |\n"
               "       postto <hwnd> <msg> <wParam> <lParam> | lock <path> <ms> | kill <title> |\n"
               "       keydown <vk>\n");
  return 2;
}

constexpr char kRunningMark[] = "e2e_control: running\n";  // Wine.control in wine.py knows it

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // The first word, before anything is done: a run that ends without it never started (on a busy
  // machine Wine now and then ends the process with 1 before its entry point), and the harness
  // may run it again without doing anything twice.
  std::fputs(kRunningMark, stderr);
  std::fflush(stderr);
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
  if (verb == L"windows" && (argc == 2 || argc == 3)) return Windows(argc == 3 ? argv[2] : kMainWindowTitle);
  if (verb == L"children" && argc == 3 && ParseNumber(argv[2], a)) return Children(a);
  if (verb == L"launch" && argc == 3) return Launch(argv[2]);
  if (verb == L"exit" && argc == 3 && ParseNumber(argv[2], a)) return ExitAndWait(a);
  if (verb == L"ask" && (argc == 4 || argc == 6) && ParseNumber(argv[2], a) && ParseNumber(argv[3], b)) {
    unsigned long long w = 0, l = 0;
    if (argc == 6 && !(ParseNumber(argv[4], w) && ParseNumber(argv[5], l))) return Usage();
    return AskWindow(a, b, w, l);
  }
  if (verb == L"screen" && argc == 2) return Screen();
  if (verb == L"postto" && argc == 6 && ParseNumber(argv[2], a) && ParseNumber(argv[3], b)) {
    unsigned long long w = 0, l = 0;
    if (!(ParseNumber(argv[4], w) && ParseNumber(argv[5], l))) return Usage();
    return PostTo(a, b, w, l);
  }
  if (verb == L"lock" && argc == 4 && ParseNumber(argv[3], a)) return Lock(argv[2], a);
  if (verb == L"kill" && argc == 3) return Kill(argv[2]);
  if (verb == L"keydown" && argc == 3 && ParseNumber(argv[2], a)) return KeyDown(static_cast<unsigned>(a));
  return Usage();
}

// The application object and the program's entry point.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "app/autostart.h"
#include "app/autostart_win.h"
#include "app/command_line.h"
#include "app/main_window_win.h"
#include "app/ui_language_win.h"
#include "platform/win32/dialog_base_win.h"

namespace orvelle {
namespace {

// The running instance's main window, which carries the instance property. An instance that is
// still starting may not have it yet: looked for again for up to `waitMs`.
HWND FindRunningInstance(DWORD waitMs) {
  const ULONGLONG until = GetTickCount64() + waitMs;
  for (;;) {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
      if (GetPropW(window, kInstanceName) != nullptr) return window;
    }
    if (GetTickCount64() >= until) return nullptr;
    Sleep(50);
  }
}

// True when no other instance runs. Otherwise hands the running instance the commands of the
// command line, or, without any, brings its window forward. `waitForPrevious`: the running
// instance started us elevated and is ending; its mutex passes to us as it ends.
bool CheckSingleInstance(bool waitForPrevious, const std::vector<RemoteCommand>& commands) {
  // Held, never released, until the process ends. An instance running elevated owns a mutex a
  // normal start may not open: access denied says "already running" just as well.
  const HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstanceName);
  const DWORD error = GetLastError();
  if (mutex != nullptr && error != ERROR_ALREADY_EXISTS) return true;
  if (mutex != nullptr && waitForPrevious) {
    const DWORD waited = WaitForSingleObject(mutex, 15000);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return true;
  }
  if (mutex == nullptr && error != ERROR_ACCESS_DENIED) return true;
  // A start with commands ends within a second, whether the instance took them or not.
  const HWND window = FindRunningInstance(commands.empty() ? 0 : 800);
  if (window == nullptr) return false;
  if (!commands.empty()) {
    // Posted in order; the running instance does each as a profile key would, and shows nothing.
    const UINT message = RegisterWindowMessageW(kRemoteCommandMessageName);
    for (RemoteCommand command : commands) PostMessageW(window, message, static_cast<WPARAM>(command), 0);
    return false;
  }
  // The running instance shows its window itself, from the tray too, and may take the
  // foreground that this start was given.
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  AllowSetForegroundWindow(processId);
  PostMessageW(window, RegisterWindowMessageW(kShowWindowMessageName), 0, 0);
  return false;
}

}  // namespace

class Application {
 public:
  // What the program ends with when its command line is not understood, after saying so.
  static constexpr int kBadCommandLineExitCode = 2;

  // Runs the whole life of the user interface; the process ends when it returns.
  int InitInstance(HINSTANCE instance, std::wstring_view commandLine) {
    ChooseStartLanguage();
    const CommandLine line = ParseCommandLine(commandLine);
    if (!line.valid) {
      ShowMessage(nullptr, CommandLineUsage(), MessageKind::Error);
      return kBadCommandLineExitCode;
    }
    if (!CheckSingleInstance(line.elevatedRestart, line.commands)) return 0;
    // "Run as administrator" was just turned on: the logon task takes the Run value's place,
    // which only an elevated process may do.
    if (line.elevatedRestart) MoveStartWithWindows(true);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    auto mainWindow = std::make_unique<MainWindow>(instance, line.commands);
    mainWindow->DoModal(instance, IDD_MAIN);
    return 0;
  }
};

}  // namespace orvelle

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // Before anything loads a DLL at run time: no current folder and no PATH in the search. What
  // stays is the set the system recommends, the program's folder (whoever can write there can
  // replace the program itself), folders added with AddDllDirectory and System32: input methods
  // and shell extensions that the Open dialog loads into this process add their own folders that
  // way and find their DLLs there, which System32 alone denies them. The system DLLs the program
  // loads itself go through LoadSystemLibrary, System32 only.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  // The shell looks for a program key's bare name in the current folder first. Whoever started us
  // chose that folder (a download folder, a game's); the system folder is one nobody else writes.
  // Every file of our own is found by its full path.
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length > 0 && length < MAX_PATH) SetCurrentDirectoryW(system);
  orvelle::Application app;
  return app.InitInstance(instance, commandLine != nullptr ? commandLine : L"");
}

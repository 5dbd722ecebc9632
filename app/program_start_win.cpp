#include "app/program_start_win.h"

#include <objbase.h>
#include <shellapi.h>

#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/win32/handles.h"

namespace orvelle {
namespace {

enum class StartOutcome { Started, Cancelled, Failed };

// Starts the target through the shell, as a double click would open it. The system shows no
// error of its own: the main window tells the user, once.
StartOutcome ShellStart(const ProgramStart& start) {
  // The shell may hand the target to extensions that need COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // NOASYNC: this thread ends as soon as the call returns, so the shell must finish the start
  // within it rather than hand it to a thread of its own that the end would cut short.
  // NOCLOSEPROCESS: the new process's handle, to let it take the foreground. The path comes
  // with its variables expanded already (StartFor): no SEE_MASK_DOENVSUBST to expand it twice.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = nullptr;  // the target's default action
  info.lpFile = start.file.c_str();
  info.lpParameters = start.parameters.empty() ? nullptr : start.parameters.c_str();
  info.lpDirectory = start.folder.empty() ? nullptr : start.folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  const bool started = ShellExecuteExW(&info) != FALSE;
  const DWORD error = started ? ERROR_SUCCESS : GetLastError();
  if (started && info.hProcess != nullptr) {
    // A key press of ours started it, but the focus is another program's: without leave the new
    // window would open behind it.
    const UniqueHandle process(info.hProcess);
    AllowSetForegroundWindow(GetProcessId(process.get()));
  }
  if (SUCCEEDED(com)) CoUninitialize();
  if (started) return StartOutcome::Started;
  return error == ERROR_CANCELLED ? StartOutcome::Cancelled : StartOutcome::Failed;
}

}  // namespace

std::wstring ExpandEnvironment(const std::wstring& text) {
  std::wstring expanded(text.size() + 1, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    // The count includes the terminating zero; a buffer too small gets the size it needs.
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (needed == 0) return text;
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return expanded;
    }
    expanded.assign(needed, L'\0');
  }
  return text;  // the environment changed between the two calls
}

ProgramStarter::ProgramStarter() : state_(std::make_shared<State>()) {}

ProgramStarter::~ProgramStarter() {
  try {
    std::unique_lock lock(state_->mutex);
    state_->windowGone = true;
    state_->idle.wait_for(lock, std::chrono::milliseconds(kExitWaitMs), [&] { return state_->underWay == 0; });
  } catch (...) {
    // A lock that failed: the process ends without waiting, as it did before there was a wait.
  }
}

void ProgramStarter::Start(HWND window, UINT notify, ProgramStart start) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->underWay >= kMaxStartsUnderWay) return;
    ++state_->underWay;
  }
  try {
    std::thread([state = state_, window, notify, start = std::move(start)]() noexcept {
      const bool failed = ShellStart(start) == StartOutcome::Failed;
      try {
        std::lock_guard lock(state->mutex);
        --state->underWay;
        if (failed) state->failed.push_back(start.file);
        // Under the lock: once the starter has marked the window gone, nothing more is posted.
        if (failed && !state->windowGone) PostMessageW(window, notify, 0, 0);
        state->idle.notify_all();
      } catch (...) {
        // A lock that failed: the failure goes untold.
      }
    }).detach();
  } catch (const std::system_error&) {
    std::lock_guard lock(state_->mutex);
    --state_->underWay;  // no thread: nothing starts
  }
}

std::vector<std::wstring> ProgramStarter::TakeFailures() {
  std::lock_guard lock(state_->mutex);
  return std::exchange(state_->failed, {});
}

}  // namespace orvelle

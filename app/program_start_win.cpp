#include "app/program_start_win.h"

#include <objbase.h>
#include <shellapi.h>

#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

namespace orvelle {
namespace {

// True when the shell started the target. The system shows no error of its own: the main window
// tells the user, once. %VARIABLES% in the path are expanded.
bool ShellStart(const ProgramStart& start) {
  // The shell may hand the target to extensions that need COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_DOENVSUBST;
  info.lpVerb = nullptr;  // the target's default action
  info.lpFile = start.file.c_str();
  info.lpParameters = start.parameters.empty() ? nullptr : start.parameters.c_str();
  info.lpDirectory = start.folder.empty() ? nullptr : start.folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  const bool started = ShellExecuteExW(&info) != FALSE;
  if (SUCCEEDED(com)) CoUninitialize();
  return started;
}

}  // namespace

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
      const bool started = ShellStart(start);
      try {
        std::lock_guard lock(state->mutex);
        --state->underWay;
        if (!started) state->failed.push_back(start.file);
        // Under the lock: once the starter has marked the window gone, nothing more is posted.
        if (!started && !state->windowGone) PostMessageW(window, notify, 0, 0);
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

#include "app/autostart_win.h"

#include <windows.h>

#define SECURITY_WIN32
#include <oleauto.h>
#include <security.h>
#include <shellapi.h>
#include <taskschd.h>

#include <cstdint>
#include <vector>

#include "app/autostart.h"
#include "app/elevation_guard_win.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/executable_win.h"

namespace orvelle {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// Task Manager's state for the value; empty when it keeps none.
std::vector<uint8_t> ApprovedState() {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kRunValueName, RRF_RT_REG_BINARY, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes == 0 || bytes > 256) {
    return {};
  }
  std::vector<uint8_t> state(bytes);
  if (RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kRunValueName, RRF_RT_REG_BINARY, nullptr, state.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  state.resize(bytes);
  return state;
}

bool RunValueStarts(const std::wstring& executablePath) {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes == 0 || bytes > 65536) {
    return false;
  }
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS) {
    return false;
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return RunsThisProgram(value, executablePath) && StartupApprovedAllows(ApprovedState());
}

bool SetRunValue(const std::wstring& executablePath, bool present) {
  // Without Task Manager's state the value counts as enabled; a state that cannot go leaves the
  // check mark telling the truth.
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kRunValueName);
  if (!present) {
    const LSTATUS result = RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  const std::wstring command = RunCommandFor(executablePath);
  return RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ, command.c_str(),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

class Bstr {
 public:
  explicit Bstr(const std::wstring& text) : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(text_); }
  BSTR get() const { return text_; }

 private:
  BSTR text_;
};

// COM on this thread for as long as it lives (the user interface thread, single-threaded, the
// apartment its file dialogs and the shell use too).
class ComApartment {
 public:
  ComApartment() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (started_) CoUninitialize();
  }

 private:
  bool started_;
};

// Task Scheduler's root folder; null when the service could not be reached.
class TaskRoot {
 public:
  TaskRoot() {
    ComRef<ITaskService> service;
    if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                reinterpret_cast<void**>(service.put())))) {
      return;
    }
    VARIANT none;
    VariantInit(&none);
    if (FAILED(service->Connect(none, none, none, none))) return;
    const Bstr root(L"\\");
    service->GetFolder(root.get(), folder_.put());
  }
  ITaskFolder* folder() const { return folder_ ? folder_.operator->() : nullptr; }

 private:
  ComApartment com_;  // first in, last out: the folder is released while COM still runs
  ComRef<ITaskFolder> folder_;
};

bool LogonTaskExists() {
  const TaskRoot root;
  if (root.folder() == nullptr) return false;
  ComRef<IRegisteredTask> task;
  const Bstr name(kLogonTaskName);
  return SUCCEEDED(root.folder()->GetTask(name.get(), task.put()));
}

std::wstring ThisUser() {
  wchar_t name[512];
  ULONG length = 512;
  return GetUserNameExW(NameSamCompatible, name, &length) ? std::wstring(name, length) : std::wstring();
}

bool SetLogonTask(const std::wstring& executablePath, bool present) {
  const TaskRoot root;
  // Without the service there is no task to remove, and the Run value must stay manageable.
  if (root.folder() == nullptr) return !present;
  const Bstr name(kLogonTaskName);
  if (!present) {
    const HRESULT removed = root.folder()->DeleteTask(name.get(), 0);
    return SUCCEEDED(removed) || removed == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
           removed == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  }
  const std::wstring user = ThisUser();
  if (user.empty()) return false;
  const Bstr xml(LogonTaskXml(executablePath, user));
  VARIANT none;
  VariantInit(&none);
  ComRef<IRegisteredTask> task;
  return SUCCEEDED(root.folder()->RegisterTask(name.get(), xml.get(), TASK_CREATE_OR_UPDATE, none, none,
                                                TASK_LOGON_INTERACTIVE_TOKEN, none, task.put()));
}

// Starts this executable again elevated; false when the user declined the prompt or it failed.
bool StartElevatedCopy(HWND owner) {
  const std::wstring executable = ExecutablePath();
  if (executable.empty()) return false;
  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof start;
  start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  start.hwnd = owner;
  start.lpVerb = L"runas";
  start.lpFile = executable.c_str();
  start.lpParameters = kElevatedRestartArgument;
  start.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&start) != FALSE;
}

}  // namespace

bool StartsWithWindows(const std::wstring& executablePath) {
  return RunValueStarts(executablePath) || LogonTaskExists();
}

bool SetStartWithWindows(const std::wstring& executablePath, bool start, bool runAsAdmin) {
  const AutostartPlan plan = PlanAutostart(start, runAsAdmin);
  if (plan.logonTask) return SetLogonTask(executablePath, true) && SetRunValue(executablePath, false);
  // A task that cannot go leaves no Run value beside it.
  return SetLogonTask(executablePath, false) && SetRunValue(executablePath, plan.runValue);
}

bool ToggleStartWithWindows(bool runAsAdmin) {
  const std::wstring executable = ExecutablePath();
  return executable.empty() || SetStartWithWindows(executable, !StartsWithWindows(executable), runAsAdmin);
}

bool MoveStartWithWindows(bool runAsAdmin) {
  const std::wstring executable = ExecutablePath();
  if (executable.empty() || !StartsWithWindows(executable)) return true;
  return SetStartWithWindows(executable, true, runAsAdmin);
}

RunAsAdminOutcome ChooseRunAsAdmin(HWND owner, bool& runAsAdmin) {
  switch (DecideRunAsAdmin(runAsAdmin, IsThisProcessElevated())) {
    case RunAsAdminStep::TurnOff:
      // A logon task that cannot go (only an elevated copy may remove it) keeps the option on.
      if (!MoveStartWithWindows(false)) return {false, true, false};
      runAsAdmin = false;
      return {true, false, false};
    case RunAsAdminStep::TurnOn:
      runAsAdmin = true;
      return {true, !MoveStartWithWindows(true), false};
    case RunAsAdminStep::RestartElevated:
      if (!StartElevatedCopy(owner)) return {};
      // The copy waits for this one to end, reads the option from the file this one writes at
      // its exit and moves starting with Windows to the logon task.
      runAsAdmin = true;
      return {true, false, true};
  }
  return {};
}

}  // namespace orvelle

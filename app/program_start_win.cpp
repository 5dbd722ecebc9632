#include "app/program_start_win.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

namespace orvelle {

bool StartProgram(const ProgramStart& start) {
  // The shell may hand the target to extensions that need COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The system shows no error of its own (the caller tells the user, once); %VARIABLES% in the
  // path are expanded.
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

}  // namespace orvelle

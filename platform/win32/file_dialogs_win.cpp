#include "platform/win32/file_dialogs_win.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace orvelle {
namespace {

// "name|*.ext||" as the system's file dialogs want it: NUL-separated, NUL-ended.
std::wstring SystemFilter(std::wstring_view filter) {
  std::wstring out(filter);
  for (wchar_t& c : out) {
    if (c == L'|') c = L'\0';
  }
  return out;
}

// Room for the longest path a program key keeps, and for long paths generally.
constexpr size_t kFileChars = 4096;

}  // namespace

std::optional<std::wstring> ChooseFile(HWND owner, const FileDialogSetup& setup, bool save,
                                       const std::wstring& initial) {
  std::vector<wchar_t> file(kFileChars, L'\0');
  std::copy_n(initial.begin(), std::min(initial.size(), kFileChars - 1), file.begin());
  const std::wstring filter = SystemFilter(Text(setup.filter));
  const std::wstring title(Text(setup.title));
  const std::wstring extension(setup.defaultExtension);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // The dialog would otherwise make the folder the user browsed to this process's current folder,
  // where the shell then looks first for a program key's bare name.
  dialog.Flags = setup.flags | OFN_EXPLORER | OFN_NOCHANGEDIR;
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return std::wstring(file.data());
}

std::wstring InDocumentsFolder(std::wstring_view name) {
  // Not the folder the dialog remembers: started with Windows, the program's last folder would be
  // whatever the process started in (System32).
  PWSTR folder = nullptr;
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT, nullptr, &folder);
  std::wstring path;
  if (SUCCEEDED(found) && folder != nullptr) path = std::wstring(folder) + L"\\";
  CoTaskMemFree(folder);  // also when the call failed
  return path + std::wstring(name);
}

}  // namespace orvelle

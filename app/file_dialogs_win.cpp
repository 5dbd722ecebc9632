#include "app/file_dialogs_win.h"

#include <commdlg.h>

namespace orvelle {
namespace {

// "ini File(*.ini)|*.ini||" as the system's file dialogs want it: NUL-separated, NUL-ended.
std::wstring SystemFilter(std::wstring_view filter) {
  std::wstring out(filter);
  for (wchar_t& c : out) {
    if (c == L'|') c = L'\0';
  }
  return out;
}

}  // namespace

std::optional<std::wstring> ChooseFile(HWND owner, const FileDialogSetup& setup, bool save) {
  wchar_t file[MAX_PATH] = L"";  // the dialog keeps to MAX_PATH without OFN_EXPLORER hooks
  const std::wstring filter = SystemFilter(setup.filter);
  const std::wstring title(setup.title);
  const std::wstring extension(setup.defaultExtension);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = setup.flags | OFN_EXPLORER;
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return std::wstring(file);
}

}  // namespace orvelle

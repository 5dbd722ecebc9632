#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/file_dialog.h"

namespace orvelle {

// The system's save or open dialog set up as `setup` says, starting at `initial` when it names a
// file; the chosen file, or nothing when the user cancels.
std::optional<std::wstring> ChooseFile(HWND owner, const FileDialogSetup& setup, bool save,
                                       const std::wstring& initial = {});

// `name` in the user's Documents folder, which a file dialog given it opens in; `name` alone when
// the system names no such folder.
std::wstring InDocumentsFolder(std::wstring_view name);

}  // namespace orvelle

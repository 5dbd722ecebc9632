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

}  // namespace orvelle

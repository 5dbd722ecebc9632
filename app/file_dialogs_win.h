#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "model/profile_ops.h"

namespace orvelle {

// The system's save or open dialog set up as `setup` says; the chosen file, or nothing when the
// user cancels.
std::optional<std::wstring> ChooseFile(HWND owner, const FileDialogSetup& setup, bool save);

}  // namespace orvelle

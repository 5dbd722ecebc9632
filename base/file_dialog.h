#pragma once

#include <string_view>

namespace orvelle {

// How one of the system's open or save dialogs is set up.
struct FileDialogSetup {
  std::wstring_view title;
  std::wstring_view filter;            // "|"-separated pairs, MFC style
  std::wstring_view defaultExtension;  // empty: a name typed without one keeps none
  unsigned flags;                      // OPENFILENAME flags
};

}  // namespace orvelle

#pragma once

#include <string_view>

#include "base/texts.h"

namespace orvelle {

// How one of the system's open or save dialogs is set up. Its title and the names of its filters
// are texts of the interface's language.
struct FileDialogSetup {
  TextId title;
  TextId filter;                       // "|"-separated pairs, MFC style
  std::wstring_view defaultExtension;  // empty: a name typed without one keeps none
  unsigned flags;                      // OPENFILENAME flags
};

}  // namespace orvelle

#pragma once

#include <string_view>

// The interface's texts live in the per-language tables (base/texts.h, base/texts_ru.cpp,
// base/texts_en.cpp). A text written here waits to be moved into them.
namespace orvelle::ui_text {}  // namespace orvelle::ui_text

#pragma once

#include <cstddef>
#include <iterator>

#include "base/texts.h"

// The per-language tables, for base/texts.cpp alone.
namespace orvelle {

extern const TextEntry kRussianTexts[];
extern const size_t kRussianTextsCount;
extern const TextEntry kEnglishTexts[];
extern const size_t kEnglishTextsCount;

}  // namespace orvelle

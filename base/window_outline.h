#pragma once

#include <cstdint>
#include <vector>

#include "base/geometry.h"

namespace orvelle {

// The window's outline from its mask picture: every pixel that is not exactly white belongs to
// the window. Returned as horizontal runs, one rectangle per run of such pixels in a row, which
// a region is built from in one call instead of one operation per cut-out pixel.
// `pixels` are 0x00RRGGBB values, row after row from the top, `stride` values apart.
std::vector<Rect> OpaqueRuns(const uint32_t* pixels, int width, int height, int stride);

}  // namespace orvelle

#include "base/window_outline.h"

#include <cstddef>

namespace orvelle {

std::vector<Rect> OpaqueRuns(const uint32_t* pixels, int width, int height, int stride) {
  constexpr uint32_t kWhite = 0x00FFFFFF;
  std::vector<Rect> runs;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * stride;
    int x = 0;
    while (x < width) {
      while (x < width && (row[x] & kWhite) == kWhite) ++x;
      const int start = x;
      while (x < width && (row[x] & kWhite) != kWhite) ++x;
      if (x > start) runs.push_back(Rect{start, y, x, y + 1});
    }
  }
  return runs;
}

}  // namespace orvelle

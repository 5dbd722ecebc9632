#pragma once

#include <cstdint>

namespace orvelle {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// Left and top edges inside, right and bottom edges outside.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  // Layout files may hold any numbers, so every sum and difference saturates instead of
  // overflowing.
  int Width() const { return SaturatingSum(right, -static_cast<long long>(left)); }
  int Height() const { return SaturatingSum(bottom, -static_cast<long long>(top)); }
  static Rect FromOriginAndSize(int x, int y, int width, int height) {
    return Rect{x, y, SaturatingSum(x, width), SaturatingSum(y, height)};
  }
  static int SaturatingSum(long long a, long long b) {
    const long long sum = a + b;
    return static_cast<int>(sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : sum);
  }
  bool operator==(const Rect&) const = default;
};

// Where a window of that size goes to stand centred in `area`, kept inside it as far as it fits:
// a window larger than the area keeps its top-left corner on it, so its caption and controls
// stay reachable.
constexpr Point CentredOrigin(const Rect& area, int width, int height) {
  const auto place = [](int low, int high, int extent) {
    const long long centred = (static_cast<long long>(low) + high) / 2 - extent / 2;
    const long long limit = static_cast<long long>(high) - extent;
    const long long kept = centred > limit ? limit : centred;
    return Rect::SaturatingSum(kept < low ? low : kept, 0);
  };
  return Point{place(area.left, area.right, width), place(area.top, area.bottom, height)};
}

}  // namespace orvelle

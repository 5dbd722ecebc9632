#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometry.h"

namespace orvelle {

// The skin is drawn for 96 DPI (100 %) and also kept at these percents.
inline constexpr int kBaseDpi = 96;
inline constexpr int kSkinPercents[] = {100, 125, 150, 175, 200};

// The display scale of a monitor at `dpi`, as Windows names it (144 DPI: 150 %).
int PercentForDpi(int dpi);

// The percent whose pictures serve a monitor at `monitorPercent`: the smallest of `available`
// at or above it (drawn a little large rather than blurred by stretching), else the largest.
// 100 when nothing is available.
int ChoosePercent(int monitorPercent, std::span<const int> available);

// A stored coordinate at 100 % (an edge, never a size) at `percent`, rounded half up. The skin
// generator rounds the same way, so the pictures and the scaled layout agree to the pixel.
int ScaleEdge(int v, int percent);
Point ScalePoint(Point p, int percent);
// Edge by edge: two rectangles that share an edge at 100 % share it at every percent.
Rect ScaleRect(const Rect& r, int percent);
// The 100 % coordinate whose scaled pixels hold `x`: the inverse of ScaleEdge for hit tests, so
// a point lies in a scaled rectangle exactly when its 100 % point lies in the stored one.
int UnscaleEdge(int x, int percent);
Point UnscalePoint(Point p, int percent);

// One place the pictures of a skin may come from: a language folder at a percent, or the old
// layout (an empty language: "skin\<stem>.bmp", 100 %).
struct SkinPlace {
  std::wstring lang;
  int percent = 100;
  bool operator==(const SkinPlace&) const = default;
};

// Where to look, best first: the chosen language at each percent in the order ChoosePercent
// prefers them, then the other language the same way; the old pictures, the Russian set at 100 %,
// right after Russian at 100 %.
std::vector<SkinPlace> SkinPlaces(std::wstring_view lang, int monitorPercent);

// The picture's path below the program's folder: "skin\ru\150\main_mask.png" or
// "skin\main_mask.bmp".
std::wstring SkinPicturePath(const SkinPlace& place, std::wstring_view stem);

}  // namespace orvelle

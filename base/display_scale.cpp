#include "base/display_scale.h"

#include <algorithm>

namespace orvelle {

int PercentForDpi(int dpi) { return dpi > 0 ? dpi * 100 / kBaseDpi : 100; }

int ChoosePercent(int monitorPercent, std::span<const int> available) {
  int above = 0;
  int largest = 0;
  for (int p : available) {
    if (p >= monitorPercent && (above == 0 || p < above)) above = p;
    largest = std::max(largest, p);
  }
  return above != 0 ? above : largest != 0 ? largest : 100;
}

int ScaleEdge(int v, int percent) {
  // Half up for the positive coordinates of a layout; a negative one mirrors it.
  const long long scaled = static_cast<long long>(v) * percent;
  return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100));
}

Point ScalePoint(Point p, int percent) { return Point{ScaleEdge(p.x, percent), ScaleEdge(p.y, percent)}; }

Rect ScaleRect(const Rect& r, int percent) {
  return Rect{ScaleEdge(r.left, percent), ScaleEdge(r.top, percent), ScaleEdge(r.right, percent),
              ScaleEdge(r.bottom, percent)};
}

int UnscaleEdge(int x, int percent) {
  if (percent <= 0 || percent == 100) return x;
  // The largest v with ScaleEdge(v) <= x, for v >= 0: v * percent + 50 < 100 * (x + 1).
  if (x < 0) return -UnscaleEdge(-x - 1, percent) - 1;  // left of or above the window: any point out there
  const long long bound = 100LL * x + 50;
  return static_cast<int>((bound + percent - 1) / percent - 1);
}

Point UnscalePoint(Point p, int percent) { return Point{UnscaleEdge(p.x, percent), UnscaleEdge(p.y, percent)}; }

std::vector<SkinPlace> SkinPlaces(std::wstring_view lang, int monitorPercent) {
  // Percents in the order ChoosePercent prefers them: each time the best of those left.
  std::vector<int> left(std::begin(kSkinPercents), std::end(kSkinPercents));
  std::vector<int> order;
  while (!left.empty()) {
    const int best = ChoosePercent(monitorPercent, left);
    order.push_back(best);
    left.erase(std::find(left.begin(), left.end(), best));
  }
  const std::wstring other = lang == L"ru" ? L"en" : L"ru";
  // The old pictures are the Russian set at 100 %, pixel for pixel: bitmaps, read without decoding,
  // so they come first where that set is wanted. Nothing after them is ever tried.
  std::vector<SkinPlace> places;
  for (const std::wstring& language : {std::wstring(lang), other}) {
    for (int p : order) {
      if (language == L"ru" && p == 100) {
        places.push_back(SkinPlace{});
        places.push_back(SkinPlace{language, p});
        return places;
      }
      places.push_back(SkinPlace{language, p});
    }
  }
  places.push_back(SkinPlace{});
  return places;
}

std::wstring SkinPicturePath(const SkinPlace& place, std::wstring_view stem) {
  if (place.lang.empty()) return L"skin\\" + std::wstring(stem) + L".bmp";
  return L"skin\\" + place.lang + L"\\" + std::to_wstring(place.percent) + L"\\" + std::wstring(stem) + L".png";
}

}  // namespace orvelle

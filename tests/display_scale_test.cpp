#include "base/display_scale.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/window_face.h"

namespace orvelle {
namespace {

TEST(DisplayScale, PercentAndChosenPicturesForEachDpi) {
  const int all[] = {100, 125, 150, 175, 200};
  const int someOnly[] = {100, 150};
  struct Case {
    int dpi;
    int percent;      // the monitor's scale
    int chosenAll;    // with every percent drawn
    int chosenSome;   // with only 100 and 150
  };
  const Case cases[] = {
      {72, 75, 100, 100},    {96, 100, 100, 100},   {110, 114, 125, 150}, {120, 125, 125, 150},
      {144, 150, 150, 150},  {150, 156, 175, 150},  {168, 175, 175, 150}, {192, 200, 200, 150},
      {240, 250, 200, 150},  {288, 300, 200, 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(PercentForDpi(c.dpi), c.percent);
    EXPECT_EQ(ChoosePercent(c.percent, all), c.chosenAll);
    EXPECT_EQ(ChoosePercent(c.percent, someOnly), c.chosenSome);
  }
  EXPECT_EQ(ChoosePercent(150, std::vector<int>{}), 100);
  EXPECT_EQ(ChoosePercent(100, std::vector<int>{200, 125}), 125);  // the order given does not matter
}

TEST(DisplayScale, EdgesRoundHalfUpAsTheSkinGeneratorDoes) {
  struct Case {
    int v, percent, scaled;
  };
  const Case cases[] = {{0, 150, 0},   {1, 150, 2},   {3, 150, 5},    {2, 125, 3},    {6, 125, 8},
                        {1, 175, 2},   {3, 175, 5},   {7, 100, 7},    {457, 200, 914}, {1, 125, 1},
                        {1000, 175, 1750}, {333, 125, 416}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.v << " at " << c.percent);
    EXPECT_EQ(ScaleEdge(c.v, c.percent), c.scaled);
  }
  // A rectangle goes edge by edge, never as origin plus a scaled size.
  EXPECT_EQ(ScaleRect(Rect{3, 1, 6, 7}, 150), (Rect{5, 2, 9, 11}));
  EXPECT_EQ(ScalePoint(Point{3, 6}, 125), (Point{4, 8}));
}

TEST(DisplayScale, NeighbouringRectanglesShareTheirEdgeAtEveryPercent) {
  // A row of keys of odd sizes and places, each touching the next, and a second row touching the
  // first from below: at every percent no pixel is in two of them and none falls between.
  std::vector<Rect> keys;
  int x = 7;
  for (int width : {23, 24, 25, 31, 37, 40, 41, 59, 3, 1}) {
    keys.push_back(Rect{x, 13, x + width, 38});
    keys.push_back(Rect{x, 38, x + width, 61});
    x += width;
  }
  for (int percent = 100; percent <= 300; ++percent) {
    SCOPED_TRACE(percent);
    std::vector<Rect> scaled;
    for (const Rect& k : keys) scaled.push_back(ScaleRect(k, percent));
    for (size_t i = 0; i + 2 < scaled.size(); ++i) {
      EXPECT_EQ(scaled[i].right, scaled[i + 2].left);  // the next key in the row
    }
    for (size_t i = 0; i + 1 < scaled.size(); i += 2) EXPECT_EQ(scaled[i].bottom, scaled[i + 1].top);
    for (const Rect& s : scaled) EXPECT_GT(s.Width(), 0);
  }
}

TEST(DisplayScale, APointHitsTheScaledRectangleExactlyWhenItsStoredPointHitsTheStoredOne) {
  const Rect stored[] = {Rect{7, 13, 30, 38}, Rect{30, 13, 54, 38}, Rect{0, 0, 1, 1}, Rect{101, 99, 102, 141}};
  for (int percent : kSkinPercents) {
    for (const Rect& r : stored) {
      const Rect scaled = ScaleRect(r, percent);
      for (int px = 0; px < 320; ++px) {
        const Point onScreen{px, (scaled.top + scaled.bottom) / 2};
        const Point back = UnscalePoint(onScreen, percent);
        ASSERT_EQ(scaled.Contains(onScreen), r.Contains(back)) << percent << "% x " << px;
      }
    }
    // Back and forth: every stored coordinate comes back from its own scaled pixel.
    for (int v = 0; v < 500; ++v) ASSERT_EQ(UnscaleEdge(ScaleEdge(v, percent), percent), v) << percent;
  }
  EXPECT_LT(UnscaleEdge(-1, 150), 0);  // left of the window stays outside every key
}

TEST(DisplayScale, TheFaceIsPlacedOnThePicturesOfTheScale) {
  Face face;
  face.blits = {Blit{RegionLook::Over, Rect{3, 1, 6, 7}}};
  face.fills = {Fill{Rect{1, 1, 2, 2}, Rgb{1, 2, 3}}};
  face.litLamps = {Rect{6, 7, 9, 9}};
  face.notice = Rect{0, 0, 0, 0};  // no place in the skin stays no place
  face.legend = Rect{2, 2, 4, 4};
  const Face at150 = ScaleFace(face, 150);
  EXPECT_EQ(at150.blits[0], (Blit{RegionLook::Over, Rect{5, 2, 9, 11}}));
  EXPECT_EQ(at150.fills[0], (Fill{Rect{2, 2, 3, 3}, Rgb{1, 2, 3}}));
  EXPECT_EQ(at150.litLamps[0], (Rect{9, 11, 14, 14}));
  EXPECT_EQ(at150.notice, (Rect{0, 0, 0, 0}));
  EXPECT_EQ(at150.legend, (Rect{3, 3, 6, 6}));
}

TEST(DisplayScale, SkinPlacesInTheOrderTheyAreTried) {
  // English chosen: English at each percent, best first, then Russian, whose 100 % set the old
  // pictures stand in for.
  const std::vector<SkinPlace> en150 = {
      {L"en", 150}, {L"en", 175}, {L"en", 200}, {L"en", 125}, {L"en", 100},
      {L"ru", 150}, {L"ru", 175}, {L"ru", 200}, {L"ru", 125}, {L"", 100}, {L"ru", 100}};
  EXPECT_EQ(SkinPlaces(L"en", 150), en150);
  // Russian at 100 %: the old pictures (bitmaps, the same pixels, read without decoding), else its
  // PNG, before a larger percent that would show the window too large.
  const std::vector<SkinPlace> ru100 = {{L"", 100}, {L"ru", 100}};
  EXPECT_EQ(SkinPlaces(L"ru", 100), ru100);
  const std::vector<SkinPlace> ru300 = {{L"ru", 200}, {L"ru", 175}, {L"ru", 150}, {L"ru", 125}, {L"", 100}, {L"ru", 100}};
  EXPECT_EQ(SkinPlaces(L"ru", 300), ru300);
  EXPECT_EQ(SkinPlaces(L"ru", 150).front(), (SkinPlace{L"ru", 150}));

  EXPECT_EQ(SkinPicturePath(SkinPlace{L"ru", 150}, L"main_mask"), L"skin\\ru\\150\\main_mask.png");
  EXPECT_EQ(SkinPicturePath(SkinPlace{}, L"key_normal"), L"skin\\key_normal.bmp");
}

}  // namespace
}  // namespace orvelle

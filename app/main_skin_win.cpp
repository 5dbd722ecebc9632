#include "app/main_skin_win.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/texts.h"
#include "platform/win32/display_scale_win.h"
#include "platform/win32/skin_pictures_win.h"

namespace orvelle {

void MainSkin::Adopt(Picture& picture, UniqueBitmap bitmap) {
  // A picture of another scale takes the place: the old bitmap leaves its DC before it is deleted.
  if (picture.dc && picture.original != nullptr) SelectObject(picture.dc.get(), picture.original);
  picture.dc.reset();
  picture.original = nullptr;
  picture.bitmap = std::move(bitmap);
  if (!picture.bitmap) return;
  picture.dc.reset(CreateCompatibleDC(nullptr));
  if (picture.dc) picture.original = SelectObject(picture.dc.get(), picture.bitmap.get());
}

namespace {

constexpr KeyLook kDerivedLooks[] = {KeyLook::Command, KeyLook::Macro, KeyLook::Text, KeyLook::Program, KeyLook::Off};
constexpr COLORREF kCaseText = RGB(132, 140, 152);
constexpr Rgb kDownFace{246, 156, 49};  // the middle of the down look's cap

using UniqueBrush = Unique<DeleteObjectTraits<HBRUSH>>;
using UniquePen = Unique<DeleteObjectTraits<HPEN>>;

COLORREF Colour(Rgb c) { return RGB(c.r, c.g, c.b); }

// The area of a 32 bpp top-down canvas, copied there from the down picture, in the look of a kind.
// Made at paint time over the area alone: kept as whole pictures, five looks at 200 % would
// hold more memory than the rest of the program.
void RecolourArea(void* bits, SIZE size, const Rect& area, KeyLook look) {
  const int left = std::max(0, area.left), right = std::min(static_cast<int>(size.cx), area.right);
  const int top = std::max(0, area.top), bottom = std::min(static_cast<int>(size.cy), area.bottom);
  for (int y = top; y < bottom; ++y) {
    RGBQUAD* pixel = static_cast<RGBQUAD*>(bits) + static_cast<size_t>(y) * static_cast<size_t>(size.cx) + left;
    for (int x = left; x < right; ++x, ++pixel) {
      const Rgb c = RecolourForLook(Rgb{pixel->rgbRed, pixel->rgbGreen, pixel->rgbBlue}, look);
      *pixel = RGBQUAD{c.b, c.g, c.r, 0};
    }
  }
}

// The kind a derived picture shows, when it is one.
std::optional<KeyLook> DerivedLook(RegionLook picture) {
  for (KeyLook look : kDerivedLooks) {
    if (PictureOfLook(look) == picture) return look;
  }
  return std::nullopt;
}

void FillArea(HDC dc, const Rect& a, Rgb colour) {
  const RECT r{a.left, a.top, a.right, a.bottom};
  const UniqueBrush brush(CreateSolidBrush(Colour(colour)));
  FillRect(dc, &r, brush.get());
}

void FillEllipse(HDC dc, const Rect& a, int inset, COLORREF colour) {
  const UniqueBrush brush(CreateSolidBrush(colour));
  const SelectedObject pen(dc, GetStockObject(NULL_PEN));
  const SelectedObject fill(dc, brush.get());
  // Without a pen the ellipse leaves its right and bottom edge out: one more pixel each way.
  Ellipse(dc, a.left + inset, a.top + inset, a.right - inset + 1, a.bottom - inset + 1);
}

UniqueFont LegendFont(int height, bool bold) {
  return UniqueFont(CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
}

int TextWidth(HDC dc, std::wstring_view text) {
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
  return extent.cx;
}

// The legend of the key looks: a small cap in each look's colour and its word, then the Hold
// mark and its word, centred in `area`.
void PaintLegend(HDC dc, const Rect& area, int percent) {
  if (area.Width() <= 0 || area.Height() <= 0) return;
  const std::pair<KeyLook, std::wstring_view> items[] = {
      {KeyLook::Remap, Text(TextId::LegendRemap)},     {KeyLook::Command, Text(TextId::LegendCommand)},
      {KeyLook::Macro, Text(TextId::LegendMacro)},     {KeyLook::Text, Text(TextId::LegendText)},
      {KeyLook::Program, Text(TextId::LegendProgram)}, {KeyLook::Off, Text(TextId::LegendOff)}};
  const auto px = [percent](int v) { return ScaleEdge(v, percent); };  // a length drawn at 100 %, at the scale
  const int kCap = px(14), kGapIn = px(3), kGapOut = px(8), kMark = px(10);
  // The largest of a few sizes in which the whole legend fits its band.
  UniqueFont font;
  int total = 0;
  for (const auto& [height, bold] : {std::pair{11, true}, {11, false}, {10, false}, {9, false}, {8, false}}) {
    font = LegendFont(px(height), bold);
    const SelectedObject trial(dc, font.get());
    total = kMark + kGapIn + TextWidth(dc, Text(TextId::LegendHold));
    for (const auto& [look, text] : items) total += kCap + kGapIn + TextWidth(dc, text) + kGapOut;
    if (total <= area.Width()) break;
  }
  const SelectedObject onFont(dc, font.get());
  // Whatever still does not fit stays inside the band.
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  int x = area.left + std::max(0, (area.Width() - total) / 2);
  const int middle = (area.top + area.bottom) / 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kCaseText);
  const auto word = [&](std::wstring_view text) {
    RECT box{x, area.top, area.right, area.bottom};
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    x += TextWidth(dc, text);
  };
  for (const auto& [look, text] : items) {
    const Rgb rim = RecolourForLook(Rgb{70, 34, 4}, look);
    FillArea(dc, Rect{x, middle - px(6), x + kCap, middle + px(6)}, rim);
    FillArea(dc, Rect{x + px(1), middle - px(5), x + kCap - px(1), middle + px(5)}, RecolourForLook(kDownFace, look));
    x += kCap + kGapIn;
    word(text);
    x += kGapOut;
  }
  // HoldMarkArea puts the mark 6 px below a key's top and 6 px left of its right edge; the marks
  // are drawn at 100 %, so they are placed there and scaled.
  const int x100 = UnscaleEdge(x, percent), middle100 = UnscaleEdge(middle, percent);
  for (const Fill& fill : HoldMarkFills(Rect{0, middle100 - 4 - 6, x100 + 10 + 6, middle100 + 20})) {
    FillArea(dc, ScaleRect(fill.area, percent), fill.colour);
  }
  x += kMark + kGapIn;
  word(Text(TextId::LegendHold));
  RestoreDC(dc, saved);
}

// The keyboard is missing: said in a red band, in the skin's place for it or across the top.
void PaintNotice(HDC dc, Rect area, SIZE size, int percent) {
  const auto px = [percent](int v) { return ScaleEdge(v, percent); };
  if (area.Width() <= 0 || area.Height() <= 0) area = Rect{size.cx / 4, px(16), size.cx - size.cx / 4, px(44)};
  const UniqueBrush brush(CreateSolidBrush(RGB(168, 34, 30)));
  const UniquePen pen(CreatePen(PS_SOLID, 1, RGB(90, 20, 20)));
  const SelectedObject onBrush(dc, brush.get());
  const SelectedObject onPen(dc, pen.get());
  RoundRect(dc, area.left, area.top, area.right, area.bottom, px(10), px(10));
  const UniqueFont font = LegendFont(px(13), true);
  const SelectedObject onFont(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT box{area.left, area.top, area.right, area.bottom};
  const std::wstring_view text = Text(TextId::KeyboardMissing);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

void MainSkin::UseFolder(const std::wstring& folder, std::wstring lang) {
  folder_ = folder;
  lang_ = std::move(lang);
}

void MainSkin::ChangeLanguage(HWND window, std::wstring lang) {
  if (lang == lang_) return;
  lang_ = std::move(lang);
  Load(WindowDpi(window), false);  // every language has the same outline
  InvalidateRect(window, nullptr, FALSE);
}

void MainSkin::Load(UINT dpi, bool withMask) {
  const SkinPlace place = FindSkinPlace(folder_, lang_, PercentForDpi(static_cast<int>(dpi)), L"main_normal");
  const auto load = [&](std::wstring_view stem) { return LoadSkinPicture(folder_ + SkinPicturePath(place, stem)); };
  percent_ = place.percent;
  mask_ = withMask ? load(L"main_mask") : UniqueBitmap();
  Adopt(normal_, load(L"main_normal"));
  Adopt(over_, load(L"main_over"));
  // The kinds' looks are made from the down look at paint time, so any skin shows them.
  Adopt(down_, load(L"main_down"));
}

bool MainSkin::Reshape(HWND window, POINT origin) {
  SIZE size;
  if (!PictureSize(mask_.get(), size)) return false;
  SetWindowPos(window, nullptr, origin.x, origin.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  GiveWindowOutline(window, RegionFromMask(mask_.get()));
  mask_.reset();
  return true;
}

void MainSkin::ShapeWindow(HWND window) {
  Load(WindowDpi(window));
  if (!Reshape(window, POINT{0, 0})) return;  // without a mask the window keeps its template size and frame
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  SetWindowLongPtrW(window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_BORDER)) | WS_MINIMIZEBOX | WS_SYSMENU);
}

void MainSkin::FollowDpi(HWND window, UINT dpi, const RECT& suggested) {
  Load(dpi);
  // The suggested place keeps the window where the user put it; the size is the pictures', which
  // the suggested size misses by a pixel of rounding at most, and the outline must match them.
  if (!Reshape(window, POINT{suggested.left, suggested.top})) {
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(window, nullptr, FALSE);
}

POINT MainSkin::ToLayout(POINT client) const {
  const Point p = UnscalePoint(Point{client.x, client.y}, percent_);
  return POINT{p.x, p.y};
}

void MainSkin::PaintBackground(HDC target, SIZE size) const {
  if (normal_.dc) {
    BitBlt(target, 0, 0, size.cx, size.cy, normal_.dc.get(), 0, 0, SRCCOPY);
  } else {
    RECT all{0, 0, size.cx, size.cy};
    FillRect(target, &all, GetSysColorBrush(COLOR_3DFACE));
  }
}

void MainSkin::Paint(HDC target, SIZE size, const Face& face) const {
  // Composed off screen and copied in one go, so no state of the window is ever seen half drawn.
  // The canvas is a DIB section: the kinds' looks are recoloured in it directly.
  const Face scaled = ScaleFace(face, percent_);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const UniqueMemoryDc buffer(CreateCompatibleDC(target));
  const UniqueBitmap canvas(CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!buffer || !canvas || bits == nullptr) {
    Compose(target, nullptr, size, scaled);
    return;
  }
  const SelectedObject onCanvas(buffer.get(), canvas.get());
  Compose(buffer.get(), bits, size, scaled);
  BitBlt(target, 0, 0, size.cx, size.cy, buffer.get(), 0, 0, SRCCOPY);
}

void MainSkin::Compose(HDC dc, void* bits, SIZE size, const Face& face) const {
  PaintBackground(dc, size);
  for (const Blit& blit : face.blits) {
    const std::optional<KeyLook> derived = DerivedLook(blit.from);
    const Picture& picture = blit.from == RegionLook::Normal ? normal_
                             : blit.from == RegionLook::Over ? over_
                                                             : down_;
    if (!picture.dc || (derived && bits == nullptr)) continue;
    const Rect& a = blit.area;
    BitBlt(dc, a.left, a.top, a.Width(), a.Height(), picture.dc.get(), a.left, a.top, SRCCOPY);
    if (derived) {
      GdiFlush();  // the copy must be in the bits before they are read
      RecolourArea(bits, size, a, *derived);
    }
  }
  for (const Fill& fill : face.fills) FillArea(dc, fill.area, fill.colour);
  for (const Rect& lamp : face.litLamps) {
    FillEllipse(dc, lamp, ScaleEdge(2, percent_), RGB(40, 150, 190));
    FillEllipse(dc, lamp, ScaleEdge(4, percent_), RGB(120, 232, 255));
  }
  PaintLegend(dc, face.legend, percent_);
  if (face.notice) PaintNotice(dc, *face.notice, size, percent_);
}

void PaintMinimised(HWND window, HICON icon) {
  const PaintDc dc(window);
  SendMessageW(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
  RECT client{};
  GetClientRect(window, &client);
  const UINT dpi = WindowDpi(window);
  const int x = (client.right - client.left - SystemMetricForDpi(SM_CXICON, dpi) + 1) / 2;
  const int y = (client.bottom - client.top - SystemMetricForDpi(SM_CYICON, dpi) + 1) / 2;
  DrawIcon(dc.get(), x, y, icon);
}

}  // namespace orvelle

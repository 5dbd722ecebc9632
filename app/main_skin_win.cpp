#include "app/main_skin_win.h"

#include <algorithm>
#include <utility>

#include "base/texts.h"
#include "platform/win32/skin_pictures_win.h"

namespace orvelle {

void MainSkin::Adopt(Picture& picture, UniqueBitmap bitmap) {
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

// A copy of the down picture in the look of a kind: every pixel recoloured as the look wants.
UniqueBitmap RecolouredPicture(HBITMAP down, KeyLook look) {
  SIZE size;
  if (!PictureSize(down, size)) return {};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueBitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!copy || bits == nullptr) return {};
  const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc || GetDIBits(dc.get(), down, 0, static_cast<UINT>(size.cy), bits, &info, DIB_RGB_COLORS) == 0) return {};
  GdiFlush();  // the bits are read and written directly: nothing GDI batched may still be pending
  auto* pixel = static_cast<RGBQUAD*>(bits);
  for (LONG i = 0; i < size.cx * size.cy; ++i, ++pixel) {
    const Rgb c = RecolourForLook(Rgb{pixel->rgbRed, pixel->rgbGreen, pixel->rgbBlue}, look);
    *pixel = RGBQUAD{c.b, c.g, c.r, 0};
  }
  return copy;
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
void PaintLegend(HDC dc, const Rect& area) {
  if (area.Width() <= 0 || area.Height() <= 0) return;
  const std::pair<KeyLook, std::wstring_view> items[] = {
      {KeyLook::Remap, Text(TextId::LegendRemap)},     {KeyLook::Command, Text(TextId::LegendCommand)},
      {KeyLook::Macro, Text(TextId::LegendMacro)},     {KeyLook::Text, Text(TextId::LegendText)},
      {KeyLook::Program, Text(TextId::LegendProgram)}, {KeyLook::Off, Text(TextId::LegendOff)}};
  constexpr int kCap = 14, kGapIn = 3, kGapOut = 8, kMark = 10;
  // The largest of a few sizes in which the whole legend fits its band.
  UniqueFont font;
  int total = 0;
  for (const auto& [height, bold] : {std::pair{11, true}, {11, false}, {10, false}, {9, false}, {8, false}}) {
    font = LegendFont(height, bold);
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
    FillArea(dc, Rect::FromOriginAndSize(x, middle - 6, kCap, 12), rim);
    FillArea(dc, Rect::FromOriginAndSize(x + 1, middle - 5, kCap - 2, 10), RecolourForLook(kDownFace, look));
    x += kCap + kGapIn;
    word(text);
    x += kGapOut;
  }
  // HoldMarkArea puts the mark 6 px below a key's top and 6 px left of its right edge.
  for (const Fill& fill : HoldMarkFills(Rect{0, middle - 4 - 6, x + kMark + 6, middle + 20})) FillArea(dc, fill.area, fill.colour);
  x += kMark + kGapIn;
  word(Text(TextId::LegendHold));
  RestoreDC(dc, saved);
}

// The keyboard is missing: said in a red band, in the skin's place for it or across the top.
void PaintNotice(HDC dc, Rect area, SIZE size) {
  if (area.Width() <= 0 || area.Height() <= 0) area = Rect{size.cx / 4, 16, size.cx - size.cx / 4, 44};
  const UniqueBrush brush(CreateSolidBrush(RGB(168, 34, 30)));
  const UniquePen pen(CreatePen(PS_SOLID, 1, RGB(90, 20, 20)));
  const SelectedObject onBrush(dc, brush.get());
  const SelectedObject onPen(dc, pen.get());
  RoundRect(dc, area.left, area.top, area.right, area.bottom, 10, 10);
  const UniqueFont font = LegendFont(13, true);
  const SelectedObject onFont(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT box{area.left, area.top, area.right, area.bottom};
  const std::wstring_view text = Text(TextId::KeyboardMissing);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

void MainSkin::LoadSkin(const std::wstring& folder) {
  mask_ = LoadSkinPicture(folder + L"skin\\main_mask.bmp");
  Adopt(looks_[0], LoadSkinPicture(folder + L"skin\\main_normal.bmp"));
  Adopt(looks_[1], LoadSkinPicture(folder + L"skin\\main_over.bmp"));
  // The kinds' looks come from the down look, so any skin shows them. They are made before the
  // down picture goes into its DC: GetDIBits reads no bitmap that is selected into one.
  UniqueBitmap down = LoadSkinPicture(folder + L"skin\\main_down.bmp");
  for (KeyLook look : kDerivedLooks) {
    Adopt(looks_[static_cast<size_t>(PictureOfLook(look))], RecolouredPicture(down.get(), look));
  }
  Adopt(looks_[2], std::move(down));
}

const MainSkin::Picture* MainSkin::PictureFor(RegionLook look) const {
  const Picture* picture = &looks_[static_cast<size_t>(look)];
  return picture->dc ? picture : nullptr;
}

bool MainSkin::MaskSize(SIZE& size) const { return PictureSize(mask_.get(), size); }

void MainSkin::ShapeWindow(HWND window) {
  SIZE size;
  if (!MaskSize(size)) return;  // without a mask the window keeps its template size and frame
  MoveWindow(window, 0, 0, size.cx, size.cy, TRUE);
  GiveWindowOutline(window, RegionFromMask(mask_.get()));
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  SetWindowLongPtrW(window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_BORDER)) | WS_MINIMIZEBOX | WS_SYSMENU);
  mask_.reset();
}

void MainSkin::PaintBackground(HDC target, SIZE size) const {
  const Picture& normal = looks_[0];
  if (normal.dc) {
    BitBlt(target, 0, 0, size.cx, size.cy, normal.dc.get(), 0, 0, SRCCOPY);
  } else {
    RECT all{0, 0, size.cx, size.cy};
    FillRect(target, &all, GetSysColorBrush(COLOR_3DFACE));
  }
}

void MainSkin::Paint(HDC target, SIZE size, const Face& face) const {
  // Composed off screen and copied in one go, so no state of the window is ever seen half drawn.
  const UniqueMemoryDc buffer(CreateCompatibleDC(target));
  const UniqueBitmap canvas(CreateCompatibleBitmap(target, size.cx, size.cy));
  if (!buffer || !canvas) {
    Compose(target, size, face);
    return;
  }
  const SelectedObject onCanvas(buffer.get(), canvas.get());
  Compose(buffer.get(), size, face);
  BitBlt(target, 0, 0, size.cx, size.cy, buffer.get(), 0, 0, SRCCOPY);
}

void MainSkin::Compose(HDC dc, SIZE size, const Face& face) const {
  PaintBackground(dc, size);
  for (const Blit& blit : face.blits) {
    const Picture* picture = PictureFor(blit.from);
    if (picture == nullptr) continue;
    const Rect& a = blit.area;
    BitBlt(dc, a.left, a.top, a.Width(), a.Height(), picture->dc.get(), a.left, a.top, SRCCOPY);
  }
  for (const Fill& fill : face.fills) FillArea(dc, fill.area, fill.colour);
  for (const Rect& lamp : face.litLamps) {
    FillEllipse(dc, lamp, 2, RGB(40, 150, 190));
    FillEllipse(dc, lamp, 4, RGB(120, 232, 255));
  }
  PaintLegend(dc, face.legend);
  if (face.notice) PaintNotice(dc, *face.notice, size);
}

void PaintMinimised(HWND window, HICON icon) {
  const PaintDc dc(window);
  SendMessageW(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
  RECT client{};
  GetClientRect(window, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc.get(), x, y, icon);
}

}  // namespace orvelle

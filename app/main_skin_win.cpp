#include "app/main_skin_win.h"

#include "platform/win32/skin_pictures_win.h"

namespace orvelle {

void MainSkin::Load(Picture& picture, const std::wstring& path) {
  picture.bitmap = LoadSkinPicture(path);
  if (!picture.bitmap) return;
  picture.dc.reset(CreateCompatibleDC(nullptr));
  if (picture.dc) picture.original = SelectObject(picture.dc.get(), picture.bitmap.get());
}

void MainSkin::LoadSkin(const std::wstring& folder) {
  static constexpr std::array<const wchar_t*, kPictureCount> kNames = {
      L"normal", L"over", L"down", L"command", L"macro", L"text", L"program", L"off", L"marks"};
  mask_ = LoadSkinPicture(folder + L"skin\\main_mask.bmp");
  for (size_t i = 0; i < kNames.size(); ++i) Load(looks_[i], folder + L"skin\\main_" + kNames[i] + L".bmp");
}

const MainSkin::Picture* MainSkin::PictureFor(RegionLook look) const {
  const Picture* picture = &looks_[static_cast<size_t>(look)];
  // A skin made before the kinds had looks of their own shows every assigned key pressed.
  if (!picture->dc && look >= RegionLook::Command && look <= RegionLook::Off) picture = &looks_[static_cast<size_t>(RegionLook::Down)];
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

void MainSkin::Paint(HDC target, SIZE size, const Face& face, std::wstring_view noticeText) const {
  // Composed off screen and copied in one go, so no state of the window is ever seen half drawn.
  const UniqueMemoryDc buffer(CreateCompatibleDC(target));
  const UniqueBitmap canvas(CreateCompatibleBitmap(target, size.cx, size.cy));
  if (!buffer || !canvas) {
    Compose(target, size, face, noticeText);
    return;
  }
  const SelectedObject onCanvas(buffer.get(), canvas.get());
  Compose(buffer.get(), size, face, noticeText);
  BitBlt(target, 0, 0, size.cx, size.cy, buffer.get(), 0, 0, SRCCOPY);
}

void MainSkin::Compose(HDC dc, SIZE size, const Face& face, std::wstring_view noticeText) const {
  PaintBackground(dc, size);
  for (const Blit& blit : face.blits) {
    const Picture* picture = PictureFor(blit.from);
    if (picture == nullptr) continue;
    const Rect& a = blit.area;
    BitBlt(dc, a.left, a.top, a.Width(), a.Height(), picture->dc.get(), a.left, a.top, SRCCOPY);
  }
  if (face.noticeAsText) {
    // An older skin has no place for the notice: a plain band across the top says it.
    RECT band{size.cx / 4, 16, size.cx - size.cx / 4, 44};
    const Unique<DeleteObjectTraits<HBRUSH>> red(CreateSolidBrush(RGB(150, 30, 30)));
    FillRect(dc, &band, red.get());
    const SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, noticeText.data(), static_cast<int>(noticeText.size()), &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
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

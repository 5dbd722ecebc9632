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
  mask_ = LoadSkinPicture(folder + L"skin\\main_mask.bmp");
  Load(looks_[0], folder + L"skin\\main_normal.bmp");
  Load(looks_[1], folder + L"skin\\main_over.bmp");
  Load(looks_[2], folder + L"skin\\main_down.bmp");
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

void MainSkin::Draw(HWND window, const std::vector<Blit>& blits) const {
  if (blits.empty()) return;
  const WindowDc target(window);
  for (const Blit& blit : blits) {
    const Picture& picture = looks_[static_cast<size_t>(blit.from)];
    if (!picture.dc) continue;
    const Rect& a = blit.area;
    BitBlt(target.get(), a.left, a.top, a.Width(), a.Height(), picture.dc.get(), a.left, a.top, SRCCOPY);
  }
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

void MainSkin::DrawRegions(HWND window, const KeyTable& table, const std::vector<RegionDraw>& draws) const {
  for (const RegionDraw& draw : draws) Draw(window, RegionBlits(table, draw.look, draw.entry));
}

void MainSkin::PaintWindow(HWND window, HDC target, const KeyTable& table, int activeProfile,
                           const std::vector<int>& assignedSlots) const {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  PaintBackground(target, SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top});
  DrawRegions(window, table, PaintDraws(activeProfile, assignedSlots));
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

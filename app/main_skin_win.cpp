#include "app/main_skin_win.h"

#include <memory>

#include "app/window_shape.h"

namespace orvelle {
namespace {

HBITMAP LoadPicture(const std::wstring& path) {
  return static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// The outline as one region built from the mask's runs of window pixels.
HRGN RegionFromMask(HBITMAP mask, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  {
    const WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), mask, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) == 0) {
      return nullptr;
    }
  }
  const std::vector<Rect> runs = OpaqueRuns(pixels.data(), width, height, width);
  const size_t bytes = sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT);
  auto buffer = std::make_unique<BYTE[]>(bytes);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.get());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(runs.size());
  data->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  data->rdh.rcBound = RECT{0, 0, width, height};
  auto* rects = reinterpret_cast<RECT*>(data->Buffer);
  for (size_t i = 0; i < runs.size(); ++i) rects[i] = RECT{runs[i].left, runs[i].top, runs[i].right, runs[i].bottom};
  return ExtCreateRegion(nullptr, static_cast<DWORD>(bytes), data);
}

}  // namespace

void MainSkin::Load(Picture& picture, const std::wstring& path) {
  picture.bitmap.reset(LoadPicture(path));
  if (!picture.bitmap) return;
  picture.dc.reset(CreateCompatibleDC(nullptr));
  if (picture.dc) picture.original = SelectObject(picture.dc.get(), picture.bitmap.get());
}

void MainSkin::LoadSkin(const std::wstring& folder) {
  mask_.reset(LoadPicture(folder + L"skin\\main_mask.bmp"));
  Load(looks_[0], folder + L"skin\\main_normal.bmp");
  Load(looks_[1], folder + L"skin\\main_over.bmp");
  Load(looks_[2], folder + L"skin\\main_down.bmp");
}

bool MainSkin::MaskSize(SIZE& size) const {
  BITMAP info{};
  if (!mask_ || GetObjectW(mask_.get(), sizeof info, &info) == 0) return false;
  size = SIZE{info.bmWidth, info.bmHeight};
  return size.cx > 0 && size.cy > 0;
}

void MainSkin::ShapeWindow(HWND window) const {
  SIZE size;
  if (!MaskSize(size)) return;  // without a mask the window keeps its template size and frame
  MoveWindow(window, 0, 0, size.cx, size.cy, TRUE);
  if (HRGN outline = RegionFromMask(mask_.get(), size.cx, size.cy)) {
    // Once set, the region belongs to the system.
    if (!SetWindowRgn(window, outline, TRUE)) DeleteObject(outline);
  }
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  SetWindowLongPtrW(window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_BORDER)) | WS_MINIMIZEBOX | WS_SYSMENU);
}

void MainSkin::Draw(HWND window, const std::vector<Blit>& blits) const {
  if (blits.empty()) return;
  const WindowDc target(window);
  for (const Blit& blit : blits) {
    const Picture& picture = looks_[static_cast<size_t>(blit.from)];
    if (!picture.dc) continue;
    const Rect& a = blit.area;
    BitBlt(target.get(), a.left, a.top, a.right - a.left, a.bottom - a.top, picture.dc.get(), a.left, a.top, SRCCOPY);
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

}  // namespace orvelle

#include "platform/win32/skin_pictures_win.h"

#include <memory>
#include <vector>

#include "base/window_outline.h"
#include "platform/win32/handles.h"

namespace orvelle {

UniqueBitmap LoadSkinPicture(const std::wstring& path) {
  return UniqueBitmap(static_cast<HBITMAP>(
      LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

bool PictureSize(HBITMAP picture, SIZE& size) {
  BITMAP info{};
  if (picture == nullptr || GetObjectW(picture, sizeof info, &info) == 0) return false;
  size = SIZE{info.bmWidth, info.bmHeight};
  return size.cx > 0 && size.cy > 0;
}

UniqueRegion RegionFromMask(HBITMAP mask) {
  SIZE size;
  if (!PictureSize(mask, size)) return {};
  const int width = size.cx;
  const int height = size.cy;
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
      return {};
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
  return UniqueRegion(ExtCreateRegion(nullptr, static_cast<DWORD>(bytes), data));
}

void GiveWindowOutline(HWND window, UniqueRegion outline) {
  if (outline && SetWindowRgn(window, outline.get(), TRUE)) outline.release();
}

UniqueBitmap CutPicture(HBITMAP picture, const Rect& area) {
  const int width = area.Width();
  const int height = area.Height();
  if (picture == nullptr || width <= 0 || height <= 0) return {};
  const WindowDc screen(nullptr);
  UniqueBitmap face(CreateCompatibleBitmap(screen.get(), width, height));
  if (!face) return {};
  const UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
  const UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
  if (from && to) {
    const SelectedObject source(from.get(), picture);
    const SelectedObject target(to.get(), face.get());
    BitBlt(to.get(), 0, 0, width, height, from.get(), area.left, area.top, SRCCOPY);
  }
  return face;
}

void CopyPictureArea(HDC target, HBITMAP picture, const Rect& area) {
  if (picture == nullptr) return;
  const UniqueMemoryDc source(CreateCompatibleDC(target));
  if (!source) return;
  const SelectedObject selected(source.get(), picture);
  BitBlt(target, area.left, area.top, area.Width(), area.Height(), source.get(), area.left, area.top,
         SRCCOPY);
}

}  // namespace orvelle

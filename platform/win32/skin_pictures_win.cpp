#include "platform/win32/skin_pictures_win.h"

#include <wincodec.h>

#include <memory>
#include <vector>

#include "base/window_outline.h"
#include "platform/win32/com_ref.h"
#include "platform/win32/handles.h"

namespace orvelle {

namespace {

// The imaging factory, made at the first picture and kept for the program's life. Pictures are
// read on the user-interface thread only, which lives as long as the program: COM is started on it
// once and never stopped, because stopping it with the last picture of a batch frees the codecs,
// and the next picture would load them again (under Wine that is most of a dialog's opening).
IWICImagingFactory* ImagingFactory() {
  static const bool comStarted =
      SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  static ComRef<IWICImagingFactory> factory;
  (void)comStarted;
  // A call that fails leaves the pointer null: the factory is asked for again at the next picture.
  if (!factory) {
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(factory.put()));
  }
  return factory.get();
}

// The first frame of a PNG file as a top-down 32 bpp DIB section. The skin is opaque: the
// fourth byte of each pixel carries nothing.
UniqueBitmap DecodePng(const std::wstring& path) {
  IWICImagingFactory* const factory = ImagingFactory();
  if (factory == nullptr) return {};
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  ComRef<IWICFormatConverter> converter;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) || FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return {};
  }
  UINT width = 0, height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 16384 || height > 16384) {
    return {};
  }
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), static_cast<LONG>(width), -static_cast<LONG>(height), 1, 32, BI_RGB,
                    0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueBitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture || bits == nullptr) return {};
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) return {};
  // The outline reads a pixel as 0x00RRGGBB, as from a bitmap file: the unused byte is cleared.
  auto* pixel = static_cast<RGBQUAD*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) pixel[i].rgbReserved = 0;
  return picture;
}

bool EndsWithPng(const std::wstring& path) {
  return path.size() > 4 && _wcsicmp(path.c_str() + path.size() - 4, L".png") == 0;
}

}  // namespace

UniqueBitmap LoadSkinPicture(const std::wstring& path) {
  if (EndsWithPng(path)) return DecodePng(path);
  return UniqueBitmap(static_cast<HBITMAP>(
      LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

bool PictureFileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
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

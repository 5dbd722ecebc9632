#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/window_face.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The main window's skin pictures and the painting that copies regions out of them.
class MainSkin {
 public:
  // Loads "skin\main_mask.bmp", "main_normal.bmp", "main_over.bmp" and "main_down.bmp" from
  // `folder`, and makes the kinds' pictures from the down picture; a picture that cannot be
  // loaded or made stays empty and its regions keep the normal look.
  void LoadSkin(const std::wstring& folder);

  // The mask picture's size, or nothing without a mask.
  bool MaskSize(SIZE& size) const;

  // Sizes the window after the mask and cuts its outline: every exactly white mask pixel lies
  // outside the window. The mask is needed for nothing else and is released.
  void ShapeWindow(HWND window);

  // The whole window onto `target` in one copy, composed off screen: the normal picture, the
  // face's copies, its marks, lit lamps, legend and notice. `size` is the window's client size.
  void Paint(HDC target, SIZE size, const Face& face) const;

 private:
  struct Picture {
    UniqueBitmap bitmap;
    UniqueMemoryDc dc;  // holds the bitmap selected, ready to copy from
    HGDIOBJ original = nullptr;
  };
  // The picture keeps the bitmap, selected into a DC of its own.
  static void Adopt(Picture& picture, UniqueBitmap bitmap);

  UniqueBitmap mask_;
  void PaintBackground(HDC target, SIZE size) const;
  void Compose(HDC dc, SIZE size, const Face& face) const;
  const Picture* PictureFor(RegionLook look) const;

  std::array<Picture, kPictureCount> looks_;  // by RegionLook
};

// A minimised window: its icon, centred on the window's background.
void PaintMinimised(HWND window, HICON icon);

}  // namespace orvelle

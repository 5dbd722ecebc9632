#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "base/display_scale.h"
#include "app/main_window.h"
#include "app/window_face.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The main window's skin pictures, at the scale of the monitor the window is on, and the painting
// that copies regions out of them. The layout stays in 100 % pixels; the skin scales what is
// painted and unscales where the pointer is.
class MainSkin {
 public:
  // Where the pictures lie ("<folder>skin\") and in which language; nothing is read yet: the
  // window's monitor decides the scale.
  void UseFolder(const std::wstring& folder, std::wstring lang);
  // The pictures of another language, at the scale in use; the outline and places stay.
  void ChangeLanguage(HWND window, std::wstring lang);

  // Loads the pictures for the window's DPI (the mask, the normal, over and down pictures), sizes
  // the window after the mask and cuts its outline: every exactly white mask pixel lies outside
  // the window. The mask is needed for nothing else and is released. A picture that cannot be
  // loaded stays empty and its regions keep the normal look; without a mask the window keeps
  // its template size and frame.
  void ShapeWindow(HWND window);

  // The window's monitor has another DPI (WM_DPICHANGED): the pictures of its scale, the outline
  // cut again, and the window at the suggested place.
  void FollowDpi(HWND window, UINT dpi, const RECT& suggested);

  // The percent the pictures in use are drawn at.
  int percent() const { return percent_; }
  // A point of the window in the layout's 100 % pixels, and a layout rectangle on the window.
  POINT ToLayout(POINT client) const;
  Rect ToWindow(const Rect& layout) const { return ScaleRect(layout, percent_); }

  // The whole window onto `target` in one copy, composed off screen: the normal picture, the
  // face's copies, its marks, lit lamps, legend and notice. `size` is the window's client size;
  // the face is in layout pixels.
  void Paint(HDC target, SIZE size, const Face& face) const;

 private:
  struct Picture {
    UniqueBitmap bitmap;
    UniqueMemoryDc dc;  // holds the bitmap selected, ready to copy from
    HGDIOBJ original = nullptr;
  };
  // The picture keeps the bitmap, selected into a DC of its own.
  static void Adopt(Picture& picture, UniqueBitmap bitmap);

  // The pictures at the scale of `dpi`; the mask too when the window is to be shaped anew.
  void Load(UINT dpi, bool withMask = true);
  bool Reshape(HWND window, POINT origin);
  void PaintBackground(HDC target, SIZE size) const;
  void Compose(HDC dc, void* bits, SIZE size, const Face& face) const;

  std::wstring folder_;
  std::wstring lang_ = L"ru";
  int percent_ = 100;
  UniqueBitmap mask_;
  Picture normal_, over_, down_;
};

// A minimised window: its icon, centred on the window's background.
void PaintMinimised(HWND window, HICON icon);

}  // namespace orvelle

#pragma once

#include <windows.h>

namespace orvelle {

// WM_NCHITTEST of a window without a caption bar: the whole window counts as caption, so it can
// be dragged by any point.
inline LRESULT HitTestAsCaption(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT hit = DefWindowProcW(window, message, wParam, lParam);
  return hit == HTCLIENT ? HTCAPTION : hit;
}

}  // namespace orvelle

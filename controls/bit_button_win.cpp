#include "controls/bit_button_win.h"

#include <commctrl.h>
#include <windowsx.h>

namespace orvelle {

BitButton::~BitButton() { Detach(); }

void BitButton::Attach(HWND button) {
  Detach();
  hwnd_ = button;
  if (hwnd_ == nullptr) return;
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  SetWindowSubclass(hwnd_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void BitButton::Detach() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, SubclassProc, 0);
  hwnd_ = nullptr;
}

void BitButton::ReleaseFaces() {
  for (UniqueBitmap& face : faces_) face.reset();
  model_.Reset();
}

void BitButton::Redraw() const {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void BitButton::DrawItem(const DRAWITEMSTRUCT& item) const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const ButtonFace face = ChooseFace(model_, (item.itemState & ODS_DISABLED) != 0);
  HBITMAP picture = faces_[static_cast<size_t>(face)].get();
  if (picture == nullptr) return;  // faces are attached before the button is shown
  const UniqueMemoryDc memory(CreateCompatibleDC(item.hDC));
  if (!memory) return;
  const SelectedObject selected(memory.get(), picture);
  BitBlt(item.hDC, client.left, client.top, client.right - client.left, client.bottom - client.top, memory.get(), 0, 0,
         SRCCOPY);
}

LRESULT BitButton::HandleMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, hwnd_, 1};
      TrackMouseEvent(&track);
      break;
    }
    case WM_MOUSEHOVER:
      model_.OnHover();
      Redraw();
      return 0;
    case WM_MOUSELEAVE:
      model_.OnLeave();
      Redraw();
      return 0;
    case WM_LBUTTONDOWN:
      model_.OnPress();
      Redraw();
      break;
    case WM_LBUTTONUP: {
      POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd_, &point);
      model_.OnRelease(WindowFromPoint(point) == hwnd_);
      break;
    }
    default:
      break;
  }
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK BitButton::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) noexcept {
  auto* button = reinterpret_cast<BitButton*>(self);
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return button->HandleMouse(message, wParam, lParam);
    case WM_LBUTTONDBLCLK:
      // A check box takes the second press of a double click as a press: two clicks, two ticks.
      if (button->doubleClickIsTwoClicks_) return button->HandleMouse(WM_LBUTTONDOWN, wParam, lParam);
      // For any other button it is not a second click: the record button would start and stop
      // at once. Without its press the button sends nothing at the release that follows.
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, SubclassProc, 0);
      button->hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace orvelle

#pragma once

#include <windows.h>

#include <array>

#include "controls/bit_button.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The skinned push button: an owner-drawn button that paints one of four face images and follows
// the mouse for its hover face. Its owner reflects WM_DRAWITEM to DrawItem.
class BitButton {
 public:
  BitButton() = default;
  ~BitButton();
  BitButton(const BitButton&) = delete;
  BitButton& operator=(const BitButton&) = delete;

  // Takes over a button of the dialog: owner-drawn from now on, mouse messages seen first here.
  void Attach(HWND button);
  void Detach();
  HWND hwnd() const { return hwnd_; }

  // Faces in the order of ButtonFace: normal, hover, pressed, disabled.
  void SetFaces(std::array<UniqueBitmap, 4> faces) { faces_ = std::move(faces); }
  void ReleaseFaces();

  BitButtonModel& model() { return model_; }
  // A check box: each press of a double click is a click of its own. Other buttons take a double
  // click as one click.
  void TakeDoubleClicksAsTwoClicks() { doubleClickIsTwoClicks_ = true; }
  void Redraw() const;
  void DrawItem(const DRAWITEMSTRUCT& item) const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) noexcept;
  LRESULT HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  BitButtonModel model_;
  bool doubleClickIsTwoClicks_ = false;
  std::array<UniqueBitmap, 4> faces_;
};

}  // namespace orvelle

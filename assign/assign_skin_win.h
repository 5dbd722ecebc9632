#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "base/display_scale.h"
#include "assign/dialog_layout.h"
#include "model/key_table.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The key assignment dialog's skin: the composite layout that places its controls, read once and
// kept in 100 % pixels, and its pictures and the outline cut from its mask at the scale of the
// monitor the dialog is on, read when it first shows there.
class AssignSkin {
 public:
  // The layout from "<folder>Composite.ini"; the pictures will come from "<folder>skin\". What is
  // missing stays empty: no picture, no outline, entries that place nothing.
  void Load(const std::wstring& folder);
  // The pictures and outline for the scale of a monitor at `dpi`.
  void FitDpi(UINT dpi);

  // Where an entry lies on the dialog at the scale in use.
  Rect Area(int entry) const {
    return ScaleRect(layout_[static_cast<size_t>(entry - 1)], place_ ? place_->percent : 100);
  }
  const CompositeLayout& layout() const { return layout_; }
  // The four faces of the skinned button of an entry, cut at its place (the disabled face empty
  // for buttons that cannot be disabled).
  std::array<UniqueBitmap, 4> CutFaces(int entry) const;
  // Sizes the dialog after the mask, its top-left corner at `origin`, and gives it its own copy
  // of the outline.
  void Shape(HWND dialog, POINT origin) const;
  // The background of a dialog kind over the whole window.
  void PaintBackground(HDC dc, HWND dialog, std::optional<DialogPicture> background) const;

 private:
  HBITMAP Picture(DialogPicture picture) const { return pictures_[static_cast<size_t>(picture)].get(); }

  std::wstring folder_;
  std::optional<SkinPlace> place_;  // where the pictures in use came from
  std::array<UniqueBitmap, kDialogPictureCount> pictures_;  // by DialogPicture
  UniqueRegion outline_;
  SIZE maskSize_{};
  CompositeLayout layout_{};
};

}  // namespace orvelle

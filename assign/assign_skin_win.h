#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "assign/dialog_layout.h"
#include "model/key_table.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The key assignment dialog's skin, loaded once: its pictures, the outline cut from its mask and
// the composite layout that places its controls.
class AssignSkin {
 public:
  // Pictures from "<folder>skin\", the layout from "<folder>Composite.ini". What is missing stays
  // empty: no picture, no outline, entries that place nothing.
  void Load(const std::wstring& folder);

  const Rect& Area(int entry) const { return layout_[static_cast<size_t>(entry - 1)]; }
  const CompositeLayout& layout() const { return layout_; }
  // The four faces of the skinned button of an entry, cut at its place (the disabled face empty
  // for buttons that cannot be disabled).
  std::array<UniqueBitmap, 4> CutFaces(int entry) const;
  // Sizes the dialog after the mask and gives it its own copy of the outline.
  void Shape(HWND dialog) const;
  // The background of a dialog kind over the whole window.
  void PaintBackground(HDC dc, HWND dialog, std::optional<DialogPicture> background) const;

 private:
  HBITMAP Picture(DialogPicture picture) const { return pictures_[static_cast<size_t>(picture)].get(); }

  std::array<UniqueBitmap, kDialogPictureCount> pictures_;  // by DialogPicture
  UniqueRegion outline_;
  SIZE maskSize_{};
  CompositeLayout layout_{};
};

}  // namespace orvelle

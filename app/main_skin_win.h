#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The main window's four skin pictures and the drawing that copies regions out of them.
class MainSkin {
 public:
  // Loads "skin\main_mask.bmp", "main_normal.bmp", "main_over.bmp" and "main_down.bmp" from
  // `folder`; a picture that cannot be loaded stays empty.
  void LoadSkin(const std::wstring& folder);

  // The mask picture's size, or nothing without a mask.
  bool MaskSize(SIZE& size) const;

  // Sizes the window after the mask and cuts its outline: every exactly white mask pixel lies
  // outside the window. The mask is needed for nothing else and is released.
  void ShapeWindow(HWND window);

  // Copies each region out of its picture straight onto the window.
  void Draw(HWND window, const std::vector<Blit>& blits) const;

  // The whole normal picture onto `target`, `size` as the window's.
  void PaintBackground(HDC target, SIZE size) const;

  // The keys' regions in their looks, onto the window.
  void DrawRegions(HWND window, const KeyTable& table, const std::vector<RegionDraw>& draws) const;
  // The whole window onto `target`: the background, the active profile's button and the keys
  // with an assignment.
  void PaintWindow(HWND window, HDC target, const KeyTable& table, int activeProfile,
                   const std::vector<int>& assignedSlots) const;

 private:
  struct Picture {
    UniqueBitmap bitmap;
    UniqueMemoryDc dc;  // holds the bitmap selected, ready to copy from
    HGDIOBJ original = nullptr;
  };
  static void Load(Picture& picture, const std::wstring& path);

  UniqueBitmap mask_;
  std::array<Picture, 3> looks_;  // Normal, Over, Down
};

// A minimised window: its icon, centred on the window's background.
void PaintMinimised(HWND window, HICON icon);

}  // namespace orvelle

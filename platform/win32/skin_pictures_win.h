#pragma once

#include <windows.h>

#include <string>

#include "model/key_table.h"

namespace orvelle {

// A skin picture from a bitmap file at its natural size, as a DIB section; null when it cannot be
// loaded.
HBITMAP LoadSkinPicture(const std::wstring& path);

// The bitmap's size; false for a null or unreadable bitmap.
bool PictureSize(HBITMAP picture, SIZE& size);

// The window outline of a mask picture: every pixel that is not exactly white, as one region
// built from runs of such pixels. Null on failure.
HRGN RegionFromMask(HBITMAP mask);

// A new bitmap of the area's size holding the picture's pixels at the area (a button face).
HBITMAP CutPicture(HBITMAP picture, const Rect& area);

// Copies `area` of `picture` to the same place on `target`.
void CopyPictureArea(HDC target, HBITMAP picture, const Rect& area);

}  // namespace orvelle

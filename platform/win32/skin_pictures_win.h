#pragma once

#include <windows.h>

#include <string>

#include "base/geometry.h"
#include "platform/win32/handles.h"

namespace orvelle {

// A skin picture at its natural size, as a DIB section: a ".png" file decoded by the Windows
// Imaging Component, anything else read as a bitmap file. Null when it cannot be loaded.
UniqueBitmap LoadSkinPicture(const std::wstring& path);

// True when a file lies at `path`.
bool PictureFileExists(const std::wstring& path);

// The bitmap's size; false for a null or unreadable bitmap.
bool PictureSize(HBITMAP picture, SIZE& size);

// The window outline of a mask picture: every pixel that is not exactly white, as one region
// built from runs of such pixels. Null on failure.
UniqueRegion RegionFromMask(HBITMAP mask);

// A new bitmap of the area's size holding the picture's pixels at the area (a button face).
UniqueBitmap CutPicture(HBITMAP picture, const Rect& area);

// A window takes its outline: the region belongs to the system from then on, or is deleted here
// when the window refuses it.
void GiveWindowOutline(HWND window, UniqueRegion outline);

// Copies `area` of `picture` to the same place on `target`.
void CopyPictureArea(HDC target, HBITMAP picture, const Rect& area);

}  // namespace orvelle

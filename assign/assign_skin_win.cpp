#include "assign/assign_skin_win.h"

#include "platform/portable/ini_file_copy.h"
#include "platform/win32/file_store_win.h"
#include "platform/win32/skin_pictures_win.h"

namespace orvelle {

void AssignSkin::Load(const std::wstring& folder) {
  static constexpr std::array<const wchar_t*, kDialogPictureCount> kFiles = {
      L"key_normal.bmp",   L"key_over.bmp",   L"key_down.bmp",   L"media_normal.bmp",  L"function_normal.bmp",
      L"macro_normal.bmp", L"macro_over.bmp", L"macro_down.bmp", L"macro_disable.bmp", L"macro2_normal.bmp",
      L"other_normal.bmp", L"other_over.bmp", L"other_down.bmp", L"other_disable.bmp",
  };
  for (size_t i = 0; i < kFiles.size(); ++i) pictures_[i] = LoadSkinPicture(folder + L"skin\\" + kFiles[i]);
  // The mask is needed only for its outline and size.
  const UniqueBitmap mask = LoadSkinPicture(folder + L"skin\\key_mask.bmp");
  if (PictureSize(mask.get(), maskSize_)) outline_ = RegionFromMask(mask.get());
  Win32FileStore files;
  IniFileCopy composite(files, DecodeAnsi, folder + L"Composite.ini");
  composite.Load();
  layout_ = LoadCompositeLayout(composite.ini(), composite.path());
}

std::array<UniqueBitmap, 4> AssignSkin::CutFaces(int entry) const {
  const ButtonSkin skin = SkinOfEntry(entry);
  const Rect& area = Area(entry);
  std::array<UniqueBitmap, 4> faces;
  for (size_t i = 0; i < skin.faces.size(); ++i) faces[i] = CutPicture(Picture(skin.faces[i]), area);
  if (skin.disabledFace) faces[3] = CutPicture(Picture(*skin.disabledFace), area);
  return faces;
}

void AssignSkin::Shape(HWND dialog) const {
  if (maskSize_.cx <= 0 || maskSize_.cy <= 0) return;
  MoveWindow(dialog, 0, 0, maskSize_.cx, maskSize_.cy, TRUE);
  UniqueRegion copy(CreateRectRgn(0, 0, 0, 0));
  if (copy && outline_ && CombineRgn(copy.get(), outline_.get(), nullptr, RGN_COPY) != ERROR) {
    GiveWindowOutline(dialog, std::move(copy));
  }
}

void AssignSkin::PaintBackground(HDC dc, HWND dialog, std::optional<DialogPicture> background) const {
  if (!background) return;
  RECT window{};
  GetWindowRect(dialog, &window);
  CopyPictureArea(dc, Picture(*background), Rect{0, 0, window.right - window.left, window.bottom - window.top});
}

}  // namespace orvelle

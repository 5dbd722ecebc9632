#include "assign/assign_skin_win.h"

#include <utility>

#include "base/texts.h"
#include "platform/win32/display_scale_win.h"
#include "platform/portable/ini_file_copy.h"
#include "platform/win32/file_store_win.h"
#include "platform/win32/skin_pictures_win.h"

namespace orvelle {

void AssignSkin::Load(const std::wstring& folder) {
  folder_ = folder;
  Win32FileStore files;
  IniFileCopy composite(files, DecodeAnsi, folder + L"Composite.ini");
  composite.Load();
  layout_ = LoadCompositeLayout(composite.ini(), composite.path());
}

void AssignSkin::FitDpi(UINT dpi) {
  static constexpr std::array<const wchar_t*, kDialogPictureCount> kStems = {
      L"key_normal",   L"key_over",   L"key_down",   L"media_normal",  L"function_normal",
      L"macro_normal", L"macro_over", L"macro_down", L"macro_disable", L"macro2_normal",
      L"other_normal", L"other_over", L"other_down", L"other_disable",
  };
  const int monitor = PercentForDpi(static_cast<int>(dpi));
  // The language of the interface now: it may have changed since the last opening.
  const SkinPlace place = FindSkinPlace(folder_, LanguageCode(CurrentLanguage()), monitor, L"key_normal");
  // Kept from one opening to the next at the same scale: reading fifteen pictures is most of the
  // time the dialog takes to open.
  if (place_ && *place_ == place) return;
  place_ = place;
  for (size_t i = 0; i < kStems.size(); ++i) pictures_[i] = LoadSkinPicture(folder_ + SkinPicturePath(place, kStems[i]));
  // The mask is needed only for its outline and size.
  const UniqueBitmap mask = LoadSkinPicture(folder_ + SkinPicturePath(place, L"key_mask"));
  maskSize_ = SIZE{};
  outline_.reset();
  if (PictureSize(mask.get(), maskSize_)) outline_ = RegionFromMask(mask.get());
}

std::array<UniqueBitmap, 4> AssignSkin::CutFaces(int entry) const {
  const ButtonSkin skin = SkinOfEntry(entry);
  const Rect area = Area(entry);
  std::array<UniqueBitmap, 4> faces;
  for (size_t i = 0; i < skin.faces.size(); ++i) faces[i] = CutPicture(Picture(skin.faces[i]), area);
  if (skin.disabledFace) faces[3] = CutPicture(Picture(*skin.disabledFace), area);
  return faces;
}

void AssignSkin::Shape(HWND dialog, POINT origin) const {
  if (maskSize_.cx <= 0 || maskSize_.cy <= 0) return;
  MoveWindow(dialog, origin.x, origin.y, maskSize_.cx, maskSize_.cy, TRUE);
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

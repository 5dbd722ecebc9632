#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "base/geometry.h"
#include "platform/win32/handles.h"

namespace orvelle {

// The main window's key tooltip: a tracking tooltip that the window places itself, just below the
// key under the resting pointer. The window answers HTCAPTION for its whole area, so the system
// never sees a client-area tool to time a tip for; the tip is shown after the system's initial
// tooltip delay of rest on one key instead.
class KeyTooltip {
 public:
  void Create(HWND owner, HINSTANCE instance);
  // `text` for the key at `keyInClient` (the owner's client coordinates); an empty text hides the tip.
  void Show(const std::wstring& text, const Rect& keyInClient);
  void Hide();
  void Destroy() {
    Hide();
    window_.reset();
  }

 private:
  static void CALLBACK OnShowTimer(HWND window, UINT, UINT_PTR, DWORD) noexcept;
  TOOLINFOW Tool(wchar_t* text) const;
  void Activate();

  // The tip's font at the DPI of the owner's monitor, made again when that changes.
  void FollowDpi(UINT dpi);

  HWND owner_ = nullptr;
  UniqueFont font_;  // outlives the window that uses it
  UniqueWindow window_;
  UINT fontDpi_ = 0;
  std::wstring text_;   // the text shown, or about to be
  POINT place_{};       // where its top-left corner goes, on the screen
  bool shown_ = false;
};

}  // namespace orvelle

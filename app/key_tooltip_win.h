#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "platform/win32/handles.h"

namespace orvelle {

// The main window's tooltip, which names the key under the resting pointer and what it is set
// to. One tool covers the whole window; the window relays its mouse messages and sets the text
// when the hovered key changes.
class KeyTooltip {
 public:
  void Create(HWND owner, HINSTANCE instance);
  void SetText(const std::wstring& text);
  // Hands a mouse message of the owner to the tooltip, which times its showing by them.
  void Relay(UINT message, WPARAM wParam, LPARAM lParam);
  void Destroy() { window_.reset(); }

 private:
  TOOLINFOW Tool(wchar_t* text) const;

  HWND owner_ = nullptr;
  UniqueWindow window_;
};

}  // namespace orvelle

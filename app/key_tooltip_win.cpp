#include "app/key_tooltip_win.h"

#include <commctrl.h>

namespace orvelle {

TOOLINFOW KeyTooltip::Tool(wchar_t* text) const {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = owner_;
  tool.uId = reinterpret_cast<UINT_PTR>(owner_);
  tool.lpszText = text;
  return tool;
}

void KeyTooltip::Create(HWND owner, HINSTANCE instance) {
  owner_ = owner;
  window_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, nullptr));
  if (!window_) return;
  wchar_t text[] = L"ToolTip";
  TOOLINFOW tool = Tool(text);
  SendMessageW(window_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(window_.get(), TTM_SETTIPBKCOLOR, RGB(255, 255, 224), 0);
  SendMessageW(window_.get(), TTM_SETDELAYTIME, TTDT_INITIAL, 50);
}

void KeyTooltip::SetText(const std::wstring& text) {
  if (!window_) return;
  std::wstring copy = text;
  TOOLINFOW tool = Tool(copy.data());
  SendMessageW(window_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void KeyTooltip::Relay(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window_) return;
  MSG relay{owner_, message, wParam, lParam, 0, {}};
  SendMessageW(window_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
}

}  // namespace orvelle

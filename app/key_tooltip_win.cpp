#include "app/key_tooltip_win.h"

#include <utility>

#include "platform/win32/display_scale_win.h"

namespace orvelle {
namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr int kGapBelowKey = 4;  // keeps the tip off the pointer, which rests on the key
constexpr int kMaxTipWidth = 480;  // both at 100 %

}  // namespace

TOOLINFOW KeyTooltip::Tool(wchar_t* text) const {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = owner_;
  tool.uId = reinterpret_cast<UINT_PTR>(owner_);
  tool.lpszText = text;
  return tool;
}

void KeyTooltip::Create(HWND owner, HINSTANCE instance) {
  owner_ = owner;
  window_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                                nullptr));
  if (!window_) return;
  // The show timer's procedure finds this object through the tooltip window.
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  wchar_t empty[] = L"";
  TOOLINFOW tool = Tool(empty);
  SendMessageW(window_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void KeyTooltip::Show(const std::wstring& text, const Rect& keyInClient) {
  if (!window_) return;
  if (text.empty()) {
    Hide();
    return;
  }
  // At the scale of the owner's monitor, which may have changed since the last tip.
  const UINT dpi = WindowDpi(owner_);
  const int percent = PercentForDpi(static_cast<int>(dpi));
  FollowDpi(dpi);
  SendMessageW(window_.get(), TTM_SETMAXTIPWIDTH, 0, ScaleEdge(kMaxTipWidth, percent));
  POINT corner{keyInClient.left, keyInClient.bottom + ScaleEdge(kGapBelowKey, percent)};
  ClientToScreen(owner_, &corner);
  if (text == text_ && corner.x == place_.x && corner.y == place_.y) return;  // the same key again
  Hide();
  text_ = text;
  place_ = corner;
  const UINT delay = static_cast<UINT>(SendMessageW(window_.get(), TTM_GETDELAYTIME, TTDT_INITIAL, 0));
  SetTimer(window_.get(), kShowTimer, delay > 0 ? delay : 1, &KeyTooltip::OnShowTimer);
}

void KeyTooltip::FollowDpi(UINT dpi) {
  if (dpi == fontDpi_) return;
  // Without the call (before Windows 10 1607) the tip keeps the font the system gave it.
  NONCLIENTMETRICSW metrics;
  if (!NonClientMetricsForDpi(dpi, metrics)) return;
  UniqueFont font(CreateFontIndirectW(&metrics.lfStatusFont));
  if (!font) return;
  SendMessageW(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  font_ = std::move(font);  // the old font goes only once the tip no longer uses it
  fontDpi_ = dpi;
}

void KeyTooltip::Hide() {
  if (!window_) return;
  KillTimer(window_.get(), kShowTimer);
  text_.clear();
  if (!shown_) return;
  wchar_t empty[] = L"";
  TOOLINFOW tool = Tool(empty);
  SendMessageW(window_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  shown_ = false;
}

void KeyTooltip::Activate() {
  KillTimer(window_.get(), kShowTimer);
  std::wstring copy = text_;
  TOOLINFOW tool = Tool(copy.data());
  SendMessageW(window_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(window_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(place_.x, place_.y));
  SendMessageW(window_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  shown_ = true;
}

void CALLBACK KeyTooltip::OnShowTimer(HWND window, UINT, UINT_PTR, DWORD) noexcept {
  auto* self = reinterpret_cast<KeyTooltip*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    if (self != nullptr && !self->text_.empty()) self->Activate();
  } catch (...) {
    // Out of memory for the text: no tip this time.
  }
}

}  // namespace orvelle

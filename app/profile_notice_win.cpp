#include "app/profile_notice_win.h"

#include <chrono>

#include "app/profile_follower_win.h"
#include "app/tray_icon_win.h"
#include "platform/win32/display_scale_win.h"
#include "resources/resource.h"

namespace orvelle {
namespace {

using UniqueBrush = Unique<DeleteObjectTraits<HBRUSH>>;
using UniquePen = Unique<DeleteObjectTraits<HPEN>>;

constexpr UINT_PTR kHideTimer = 1;
// The skin's case and its orange accent; the text as light as the case is dark.
constexpr COLORREF kFace = RGB(28, 31, 36);
constexpr COLORREF kAccent = RGB(0xF3, 0x9A, 0x1E);
constexpr COLORREF kText = RGB(236, 239, 243);
constexpr BYTE kOpacity = 235;
// Sizes at 96 DPI.
constexpr int kBadge = 32, kPadding = 14, kGap = 12, kFontHeight = 22, kCorner = 12, kBorder = 2;

// The monitor holding the window in front, where a game runs; the primary one when nothing is.
HMONITOR MonitorInFront() { return MonitorFromWindow(GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY); }

Rect WorkAreaOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return Rect{work.left, work.top, work.right, work.bottom};
  }
  return Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

unsigned long long UnixMicroseconds() {
  return static_cast<unsigned long long>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

}  // namespace

ProfileNotice::~ProfileNotice() { Hide(); }

void ProfileNotice::Attach(HINSTANCE instance, HWND mainWindow, const ProfileSet& profiles) {
  instance_ = instance;
  mainWindow_ = mainWindow;
  profiles_ = &profiles;
}

void ProfileNotice::KeysStateChanged(const FollowedProfile& followed, bool paused) {
  const bool worthy = NoticeWorthy(followed_, paused_, followed, paused);
  followed_ = followed;
  paused_ = paused;
  if (!worthy || profiles_ == nullptr) return;
  if (NoticeWanted(profiles_->osd, IsShownWindow(mainWindow_))) Show(followed, paused);
}

bool ProfileNotice::MakeWindow() {
  if (window_) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  // A class registered already (a window made before this one) is as good as a new one.
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  // Layered and transparent: clicks go through to the window below. No-activate and a tool window:
  // never the foreground window, never on the taskbar or in Alt+Tab.
  window_.reset(CreateWindowExW(WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                                kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, this));
  if (!window_) return false;
  SetLayeredWindowAttributes(window_.get(), 0, kOpacity, LWA_ALPHA);
  return true;
}

int ProfileNotice::Scaled(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), kBaseDpi); }

void ProfileNotice::FitDpi(UINT dpi) {
  if (dpi == dpi_ && font_) return;
  dpi_ = dpi;
  font_.reset(CreateFontW(-Scaled(kFontHeight), 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                          L"Segoe UI"));
}

void ProfileNotice::Show(const FollowedProfile& followed, bool paused) {
  if (!MakeWindow()) return;
  // Drawn at the scale of the monitor it shows on, which may differ from the last notice's.
  const HMONITOR monitor = MonitorInFront();
  FitDpi(MonitorDpi(monitor));
  text_ = NoticeText(followed, paused);
  // The caption is the text, for whatever reads windows out loud or lists them.
  SetWindowTextW(window_.get(), text_.c_str());
  badgeSize_ = Scaled(kBadge);
  badge_ = BadgedTrayIcon(instance_, IDI_APP, followed.profile, paused ? TrayMode::Paused : TrayMode::Remapping,
                          badgeSize_);
  SIZE textSize{};
  {
    const WindowDc dc(window_.get());
    const SelectedObject onFont(dc.get(), font_.get());
    GetTextExtentPoint32W(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &textSize);
  }
  const int padding = Scaled(kPadding);
  const int width = padding + badgeSize_ + Scaled(kGap) + textSize.cx + padding;
  const int height = padding + (textSize.cy > badgeSize_ ? textSize.cy : badgeSize_) + padding;
  const Rect place = NoticePlace(WorkAreaOf(monitor), width, height);
  // Rounded like the skin's plates. After SetWindowRgn succeeds the region is the system's.
  HRGN region = CreateRoundRectRgn(0, 0, width + 1, height + 1, Scaled(kCorner), Scaled(kCorner));
  if (region != nullptr && !SetWindowRgn(window_.get(), region, FALSE)) DeleteObject(region);
  // Shown by SetWindowPos, not ShowWindow: the first ShowWindow of a process may take the show
  // command of its start instead of the one given, and activate the notice.
  SetWindowPos(window_.get(), HWND_TOPMOST, place.left, place.top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(window_.get(), nullptr, TRUE);
  UpdateWindow(window_.get());
  changedAtUs_ = UnixMicroseconds();
  if (!shown_) appearedAtUs_ = changedAtUs_;
  shown_ = true;
  // A notice shown already is replaced, and its second starts again (SetTimer resets a timer of
  // the same window and id).
  SetTimer(window_.get(), kHideTimer, kNoticeShowMs, nullptr);
}

void ProfileNotice::Hide() {
  if (!window_) return;
  KillTimer(window_.get(), kHideTimer);
  if (!shown_) return;
  shown_ = false;
  hiddenAtUs_ = UnixMicroseconds();
  // Hidden without passing the activation on: SW_HIDE would activate another window.
  SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

void ProfileNotice::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(window_.get(), &client);
  const int border = Scaled(kBorder);
  const UniqueBrush face(CreateSolidBrush(kFace));
  const UniquePen edge(CreatePen(PS_INSIDEFRAME, border, kAccent));
  {
    const SelectedObject onBrush(dc, face.get());
    const SelectedObject onPen(dc, edge.get());
    RoundRect(dc, client.left, client.top, client.right, client.bottom, Scaled(kCorner), Scaled(kCorner));
  }
  const int padding = Scaled(kPadding);
  if (badge_) {
    DrawIconEx(dc, padding, (client.bottom - badgeSize_) / 2, badge_.get(), badgeSize_, badgeSize_, 0, nullptr,
               DI_NORMAL);
  }
  const SelectedObject onFont(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kText);
  RECT box{padding + badgeSize_ + Scaled(kGap), client.top, client.right - padding, client.bottom};
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &box,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT CALLBACK ProfileNotice::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ProfileNotice*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT:
      if (self != nullptr) {
        const PaintDc dc(window);
        self->Paint(dc.get());
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return TRUE;  // the paint fills every pixel
    case WM_TIMER:
      if (self != nullptr && wParam == kHideTimer) {
        self->Hide();
        return 0;
      }
      break;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace orvelle

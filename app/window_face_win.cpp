#include "app/window_face_win.h"

#include "app/main_window.h"
#include "platform/portable/ini_file_copy.h"

namespace orvelle {
namespace {

// The toggle bit of each lock key, as the system keeps it for the thread asking.
LockStates ReadLockStates() {
  return {(GetKeyState(VK_NUMLOCK) & 1) != 0, (GetKeyState(VK_CAPITAL) & 1) != 0, (GetKeyState(VK_SCROLL) & 1) != 0};
}

// A change of a lock key shows within this long while the window is shown.
constexpr UINT kWatchMs = 200;

}  // namespace

void MainFace::Attach(HWND window, FileStore& files, LegacyDecoder legacy, const std::wstring& layoutPath) {
  window_ = window;
  IniFileCopy layout(files, legacy, layoutPath);
  layout.Load();
  layout_ = LoadFaceLayout(layout.ini(), layout.path());
  locks_ = ReadLockStates();
}

void MainFace::Changed() const {
  // The whole face is computed at WM_PAINT; the background is part of it, so nothing is erased.
  if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
}

std::optional<std::wstring> MainFace::OnHover(const KeyTable& table, const ProfileData& working, POINT client) {
  const HoverUpdate update = UpdateHover(table, working, Point{client.x, client.y}, hover_);
  if (update.changed) Changed();
  return update.tipText;
}

void MainFace::SetPressed(int code, bool down) {
  if (code < 1 || code > 255 || pressed_.test(static_cast<size_t>(code)) == down) return;
  pressed_.set(static_cast<size_t>(code), down);
  Changed();
}

void MainFace::ReleaseAll() {
  if (pressed_.none()) return;
  pressed_.reset();
  Changed();
}

void MainFace::OnLeave() {
  if (EndHover(hover_)) Changed();
}

void MainFace::Watch(bool shown, bool keyboardPresent) {
  if (window_ == nullptr || shown == watching_) return;
  watching_ = shown;
  if (!shown) {
    KillTimer(window_, kWatchTimer);
    return;
  }
  SetTimer(window_, kWatchTimer, kWatchMs, nullptr);
  Look(keyboardPresent);
}

void MainFace::Look(bool keyboardPresent) {
  const LockStates locks = ReadLockStates();
  if (locks == locks_ && keyboardPresent == keyboardPresent_) return;
  locks_ = locks;
  keyboardPresent_ = keyboardPresent;
  Changed();
}

void MainFace::Paint(HDC target, const MainSkin& skin, const KeyTable& table, const ProfileSet& profiles,
                     bool keyboardPresent) {
  RECT client{};
  GetClientRect(window_, &client);
  // What the watch saw last is what is painted now: read afresh, so a change while the window
  // was hidden shows at once.
  locks_ = ReadLockStates();
  keyboardPresent_ = keyboardPresent;
  const FaceState state{profiles.activeProfile, hover_.hovered, profiles.pending, locks_, keyboardPresent_, pressed_};
  skin.Paint(target, SIZE{client.right - client.left, client.bottom - client.top},
             ComputeFace(table, layout_, profiles.working, state));
}

}  // namespace orvelle

#pragma once

#include <windows.h>
#include <windowsx.h>

#include <string_view>

namespace orvelle {

// A dialog driven by a message map of its own. DialogProc finds the object through DWLP_USER,
// stored on WM_INITDIALOG, and hands every message to ProcessMessage, which the
// BEGIN_MSG_MAP ... END_MSG_MAP table below expands to.
class DialogBase {
 public:
  virtual ~DialogBase() = default;
  DialogBase() = default;
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;

  // Runs the dialog modally; the result EndDialog was given, or -1 when it could not be created.
  INT_PTR DoModal(HINSTANCE instance, int templateId, HWND parent = nullptr);
  HWND hwnd() const { return hwnd_; }

 protected:
  // True when the message was handled; `result` is then its answer.
  virtual bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  // Called after each message with how long its handling took (ms), nested modal loops
  // included. The keyboard hooks run on this thread, so a long handler may have kept them
  // waiting.
  virtual void AfterMessage(UINT message, unsigned long long elapsedMs) { (void)message, (void)elapsedMs; }

  // WM_NCHITTEST for a skinned window without a caption: the whole window counts as caption, so it
  // can be dragged by any point; borders and the system's other answers stay.
  LRESULT HitTestAsCaption(POINT screenPoint);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  HWND hwnd_ = nullptr;
};

// A message box of the program, its buttons in Russian whatever the system's language; returns
// the button chosen (IDOK, IDCANCEL, ...).
int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags);

}  // namespace orvelle

// Handlers have the shape LRESULT OnSomething(UINT message, WPARAM, LPARAM, bool& handled) and
// LRESULT OnCommand(WORD notifyCode, WORD id, HWND control, bool& handled); clearing `handled`
// leaves the message to the system's default dialog handling.
#define BEGIN_MSG_MAP()                                                                          \
  bool ProcessMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override {     \
    bool bHandled = true;                                                                        \
    (void)wParam;                                                                                \
    (void)lParam;

#define MESSAGE_HANDLER(msg, func)                  \
  if (uMsg == (msg)) {                              \
    bHandled = true;                                \
    lResult = func(uMsg, wParam, lParam, bHandled); \
    if (bHandled) return true;                      \
  }

#define COMMAND_ID_HANDLER(id, func)                                                                 \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                                \
    bHandled = true;                                                                                 \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);      \
    if (bHandled) return true;                                                                       \
  }

// A command from one control with one notification code (BN_CLICKED, CBN_SELCHANGE, ...).
#define COMMAND_CODE_HANDLER(id, code, func)                                                        \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) {                    \
    bHandled = true;                                                                                 \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);      \
    if (bHandled) return true;                                                                       \
  }

// A command whose id lies in first..last, from a menu or a control.
#define COMMAND_RANGE_HANDLER(first, last, func)                                                     \
  if (uMsg == WM_COMMAND && LOWORD(wParam) >= (first) && LOWORD(wParam) <= (last)) {                 \
    bHandled = true;                                                                                 \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);      \
    if (bHandled) return true;                                                                       \
  }

// Typed handlers, as WTL's message crackers give them: the map unpacks the message, the handler
// gets what it needs. Each may clear `handled` to leave the message to the default handling.

// A message that carries a point in screen coordinates (WM_NCHITTEST, WM_NCMOUSEHOVER,
// WM_NCLBUTTONDOWN, ...): LRESULT func(POINT screenPoint, bool& handled).
#define SCREEN_POINT_HANDLER(msg, func)                                                            \
  if (uMsg == (msg)) {                                                                             \
    bHandled = true;                                                                               \
    lResult = func(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, bHandled);                  \
    if (bHandled) return true;                                                                     \
  }

// The whole window drags like a caption (DialogBase::HitTestAsCaption).
#define CAPTION_HIT_TEST()                                                                         \
  if (uMsg == WM_NCHITTEST) {                                                                      \
    lResult = HitTestAsCaption(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});                \
    return true;                                                                                   \
  }

// A message whose parameters the handler does not need: LRESULT func().
#define PLAIN_HANDLER(msg, func) \
  if (uMsg == (msg)) {           \
    lResult = func();            \
    return true;                 \
  }

// A command whose id lies in first..last, from a menu or a control: LRESULT func(int id).
#define COMMAND_ID_RANGE(first, last, func)                                          \
  if (uMsg == WM_COMMAND && LOWORD(wParam) >= (first) && LOWORD(wParam) <= (last)) { \
    lResult = func(static_cast<int>(LOWORD(wParam)));                                \
    return true;                                                                     \
  }

// A command from one menu item or control, whatever its notification: LRESULT func().
#define COMMAND_ID(id, func)                         \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) { \
    lResult = func();                                 \
    return true;                                      \
  }

// One control's one notification (BN_CLICKED, EN_CHANGE, ...): LRESULT func().
#define COMMAND_CODE(id, code, func)                                                \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) { \
    lResult = func();                                                               \
    return true;                                                                    \
  }

#define END_MSG_MAP() \
  return false;       \
  }

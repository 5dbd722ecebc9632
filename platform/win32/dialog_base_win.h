#pragma once

#include <windows.h>

#include <string_view>

#include "base/message_style.h"
#include "platform/win32/caption_drag_win.h"

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

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  HWND hwnd_ = nullptr;
};

// A message box of the program: the title, buttons and icon of its kind, the buttons in Russian
// whatever the system's language; returns the button chosen (IDOK, IDCANCEL, ...).
int ShowMessage(HWND owner, std::wstring_view text, MessageKind kind);

// Cancels every dialog of this thread but `except`: message boxes, file dialogs and the program's
// own dialogs, with their Cancel button (or OK, where there is none). Their modal loops end, so a
// window ended meanwhile really closes.
void CancelThreadDialogs(HWND except);

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

// Crackers, as WTL's: the handler receives what the message carries, typed, instead of unpacking
// WPARAM and LPARAM itself.

// A menu or control command whose handler needs nothing but that it came: void OnSomething().
#define COMMAND_ID_HANDLER_EX(id, func)                   \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {     \
    func();                                               \
    lResult = 0;                                          \
    return true;                                          \
  }

// A command from one control with one notification code: void OnSomething().
#define COMMAND_CODE_HANDLER_EX(id, code, func)                                     \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) {   \
    func();                                                                         \
    lResult = 0;                                                                    \
    return true;                                                                    \
  }

// A command whose id lies in first..last: void OnSomething(int id).
#define COMMAND_RANGE_HANDLER_EX(first, last, func)                                  \
  if (uMsg == WM_COMMAND && LOWORD(wParam) >= (first) && LOWORD(wParam) <= (last)) { \
    func(static_cast<int>(LOWORD(wParam)));                                          \
    lResult = 0;                                                                     \
    return true;                                                                     \
  }

// A mouse message with its point (screen coordinates for the non-client ones, client coordinates
// for the others): LRESULT OnSomething(POINT point, bool& handled).
#define POINT_HANDLER(msg, func)                                                                  \
  if (uMsg == (msg)) {                                                                            \
    bHandled = true;                                                                              \
    lResult = func(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}, \
                   bHandled);                                                                     \
    if (bHandled) return true;                                                                    \
  }

// A timer of the window: void OnSomething(). Other timers go on down the map.
#define TIMER_HANDLER(id, func)                   \
  if (uMsg == WM_TIMER && wParam == (id)) {       \
    func();                                       \
    lResult = 0;                                  \
    return true;                                  \
  }

// A notice that carries its event in WPARAM (a power or session event) and that the system's
// default handling sees too: void OnSomething(WPARAM event).
#define EVENT_NOTICE_HANDLER(msg, func) \
  if (uMsg == (msg)) {                  \
    func(wParam);                       \
    return false;                       \
  }

// A window without a caption bar, dragged by any point of it.
#define NCHITTEST_AS_CAPTION()                                  \
  if (uMsg == WM_NCHITTEST) {                                   \
    lResult = ::orvelle::HitTestAsCaption(hwnd(), uMsg, wParam, lParam); \
    return true;                                                \
  }

#define END_MSG_MAP() \
  return false;       \
  }

#include "platform/win32/dialog_base_win.h"

#include <cwchar>
#include <string>

namespace orvelle {
namespace {

// Messages whose answer a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

}  // namespace

INT_PTR DialogBase::DoModal(HINSTANCE instance, int templateId, HWND parent) {
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), parent, DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  DialogBase* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<DialogBase*>(lParam);
    self->hwnd_ = window;
    SetWindowLongPtrW(window, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  LRESULT result = 0;
  bool handled = false;
  const ULONGLONG started = GetTickCount64();
  try {
    handled = self->ProcessMessage(message, wParam, lParam, result);
    self->AfterMessage(message, GetTickCount64() - started);
  } catch (...) {
    // Nothing may unwind into the system's dialog manager.
    handled = false;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  if (!handled) return FALSE;
  if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}

static_assert(kMessageOk == MB_OK && kMessageOkCancel == MB_OKCANCEL && kMessageYesNo == MB_YESNO && kMessageIconError == MB_ICONERROR &&
              kMessageIconQuestion == MB_ICONQUESTION && kMessageIconWarning == MB_ICONWARNING &&
              kMessageIconInformation == MB_ICONINFORMATION);

int ShowMessage(HWND owner, std::wstring_view text, MessageKind kind) {
  const MessageStyle style = StyleOf(kind);
  // The system wants both texts ending in a null.
  const std::wstring message(text);
  const std::wstring title(style.title);
  return MessageBoxExW(owner, message.c_str(), title.c_str(), style.flags, MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
}

void CancelThreadDialogs(HWND except) {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM skip) -> BOOL {
        wchar_t className[16]{};
        if (window == reinterpret_cast<HWND>(skip) || GetClassNameW(window, className, 16) == 0 ||
            std::wcscmp(className, L"#32770") != 0) {
          return TRUE;
        }
        // A message box's buttons carry the ids it returns, and one without Cancel ignores
        // IDCANCEL: its Cancel button is clicked where it has one, its OK button otherwise.
        const int button = GetDlgItem(window, IDCANCEL) != nullptr ? IDCANCEL : IDOK;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(except));
}

}  // namespace orvelle

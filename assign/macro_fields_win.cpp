#include "assign/macro_fields_win.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "assign/dialog_layout.h"
#include "base/texts.h"
#include "platform/win32/display_scale_win.h"
#include "platform/win32/list_controls_win.h"

namespace orvelle {
namespace {

// The widest of `texts` in the list's font, with the room a column leaves around its text.
int ColumnNeeds(HWND list, std::initializer_list<std::wstring_view> texts, UINT dpi) {
  int widest = 0;
  for (std::wstring_view text : texts) {
    const std::wstring terminated(text);
    widest = std::max(widest, static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                                            reinterpret_cast<LPARAM>(terminated.c_str()))));
  }
  return widest + MulDiv(12, static_cast<int>(dpi), kBaseDpi);
}

}  // namespace

void AddStepColumns(HWND steps) {
  const TextId headings[] = {TextId::StepColumnKey, TextId::StepColumnAction, TextId::StepColumnDelay};
  for (int column = 0; column < 3; ++column) {
    ListViewAddColumn(steps, column, std::wstring(Text(headings[column])).c_str(), column == 2 ? 60 : 70, column == 2);
  }
}

void FitStepColumns(HWND steps, UINT dpi) {
  RECT client{};
  GetClientRect(steps, &client);
  const int width = static_cast<int>(client.right) - SystemMetricForDpi(SM_CXVSCROLL, dpi);
  const int action = ColumnNeeds(steps, {Text(TextId::StepColumnAction), Text(TextId::StepDown), Text(TextId::StepUp)}, dpi);
  // A delay holds five digits at most (60000).
  const int delay = ColumnNeeds(steps, {Text(TextId::StepColumnDelay), L"60000"}, dpi);
  const std::array<int, 3> widths = StepColumnWidths(width, action, delay);
  for (int column = 0; column < 3; ++column) ListViewSetColumnWidth(steps, column, widths[static_cast<size_t>(column)]);
}

DelayField::~DelayField() { Destroy(); }

void DelayField::Create(HWND list, HWND owner, int id) {
  Destroy();
  list_ = list;
  owner_ = owner;
  field_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL | ES_RIGHT, 0, 0, 0, 0,
                           list, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list, GWLP_HINSTANCE)), nullptr);
  if (field_ == nullptr) return;
  SetTextLimit(field_, 5);  // 60000 at most
  SetWindowSubclass(field_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void DelayField::Destroy() {
  if (field_ != nullptr && IsWindow(field_)) {
    RemoveWindowSubclass(field_, SubclassProc, 0);
    DestroyWindow(field_);
  }
  field_ = nullptr;
  open_ = false;
}

void DelayField::Open(const RECT& cell, int row, const std::wstring& text) {
  if (field_ == nullptr) return;
  row_ = row;
  open_ = true;
  dropping_ = false;
  // The list's font now: a move to a monitor of another scale gives the list a new one.
  SetControlFont(field_, reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0)));
  SetWindowTextW(field_, text.c_str());
  SetWindowPos(field_, HWND_TOP, cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, SWP_SHOWWINDOW);
  SendMessageW(field_, EM_SETSEL, 0, -1);
  SetFocus(field_);
}

std::wstring DelayField::text() const { return field_ != nullptr ? WindowText(field_) : std::wstring(); }

void DelayField::Close(bool keep) {
  if (!open_) return;
  open_ = false;
  ShowWindow(field_, SW_HIDE);
  SendMessageW(owner_, kClosedMessage, keep ? TRUE : FALSE, 0);
}

LRESULT CALLBACK DelayField::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) noexcept {
  auto* field = reinterpret_cast<DelayField*>(self);
  switch (message) {
    case WM_GETDLGCODE:
      // Enter and Escape belong to the field while it is open, not to the dialog's OK and Cancel.
      return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        field->dropping_ = wParam == VK_ESCAPE;
        SetFocus(field->list_);  // the focus leaving closes the field
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == 0x1B) return 0;  // no beep of a one-line field
      break;
    case WM_KILLFOCUS:
      field->Close(!field->dropping_);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, SubclassProc, 0);
      field->field_ = nullptr;
      field->open_ = false;
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

int DelayCellUnderPointer(HWND steps, RECT& cell) {
  constexpr int kDelayColumn = 2;
  const DWORD at = GetMessagePos();
  LVHITTESTINFO hit{};
  hit.pt = POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ScreenToClient(steps, &hit.pt);
  if (SendMessageW(steps, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 || hit.iSubItem != kDelayColumn) {
    return -1;
  }
  cell = RECT{LVIR_BOUNDS, kDelayColumn, 0, 0};  // the subitem in top, the part of it in left
  if (SendMessageW(steps, LVM_GETSUBITEMRECT, static_cast<WPARAM>(hit.iItem), reinterpret_cast<LPARAM>(&cell)) == 0) {
    return -1;
  }
  return hit.iItem;
}

namespace {

LRESULT CALLBACK CaretlessProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept {
  if (message == WM_SETFOCUS) {
    // The edit control makes and shows its caret as it takes the focus; it is destroyed right
    // after, and the control's later caret calls find none to move or show.
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    DestroyCaret();
    return result;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, CaretlessProc, 0);
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void HideCaretWhileFocused(HWND field) { SetWindowSubclass(field, CaretlessProc, 0, 0); }

}  // namespace orvelle

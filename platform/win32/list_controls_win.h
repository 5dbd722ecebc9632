#pragma once

// Small helpers for combo boxes, list views and edit fields, so that the dialogs say what they do
// to a control instead of packing its messages.

#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <string>

namespace orvelle {

inline void SetControlFont(HWND control, HFONT font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// The most characters the user can type into an edit field.
inline void SetTextLimit(HWND field, size_t characters) {
  SendMessageW(field, EM_SETLIMITTEXT, static_cast<WPARAM>(characters), 0);
}

// The most characters the user can type into a combo box's edit field.
inline void SetComboTextLimit(HWND combo, size_t characters) {
  SendMessageW(combo, CB_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

inline std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

// --- combo boxes ---

inline void ComboAdd(HWND combo, const std::wstring& item) {
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

inline void ComboReset(HWND combo) { SendMessageW(combo, CB_RESETCONTENT, 0, 0); }

// Selects item `index`; −1 selects none.
inline void ComboSelect(HWND combo, int index) { SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

// The selected item, −1 for none.
inline int ComboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

// --- list views ---

inline void ListViewAddColumn(HWND list, int column, const wchar_t* heading, int width, bool alignRight) {
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  c.fmt = alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
  c.cx = width;
  c.pszText = const_cast<wchar_t*>(heading);
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
}

inline void ListViewSetColumnWidth(HWND list, int column, int width) {
  SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), width);
}

inline void ListViewDeleteAll(HWND list) { SendMessageW(list, LVM_DELETEALLITEMS, 0, 0); }

// Inserts row `row` with its first column's text, then the texts of the columns after it.
inline void ListViewInsertRow(HWND list, int row, std::initializer_list<const wchar_t*> texts) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  for (const wchar_t* text : texts) {
    item.pszText = const_cast<wchar_t*>(text);
    if (item.iSubItem == 0) {
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } else {
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    ++item.iSubItem;
  }
}

// The first selected row, −1 for none.
inline int ListViewSelectedRow(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Row `row` alone selected, focused and scrolled into sight; −1 selects none.
inline void ListViewSelectOnly(HWND list, int row) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = 0;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (row < 0) return;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

}  // namespace orvelle

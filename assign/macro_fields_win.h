#pragma once

#include <windows.h>

#include <string>

namespace orvelle {

// The step list's three columns (key, action, delay), headed in the interface's language.
void AddStepColumns(HWND steps);
// Their widths for the list's size and font at `dpi`: the action and delay columns as wide as
// their longest word or number, the key column the rest (StepColumnWidths).
void FitStepColumns(HWND steps, UINT dpi);

// The small field that edits a step's delay over its cell of the step list: a child of the list,
// made once per opening. Enter keeps what is typed, Escape drops it, and so does leaving the field
// (the focus going anywhere else keeps it, as a click on OK must). On closing it sends its owner
// kClosedMessage, wParam TRUE to keep the text; the owner then reads text() and row().
class DelayField {
 public:
  static constexpr UINT kClosedMessage = WM_USER + 103;

  DelayField() = default;
  ~DelayField();
  DelayField(const DelayField&) = delete;
  DelayField& operator=(const DelayField&) = delete;

  // Makes the field over `list` (its children's font, digits only, at most five of them).
  void Create(HWND list, HWND owner, int id);
  void Destroy();
  // Shows it over `cell` (list client coordinates) for `row`, holding `text` selected, focused.
  void Open(const RECT& cell, int row, const std::wstring& text);
  bool open() const { return open_; }
  int row() const { return row_; }
  std::wstring text() const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) noexcept;
  void Close(bool keep);

  HWND field_ = nullptr;  // destroyed with the list, or by Destroy
  HWND list_ = nullptr;
  HWND owner_ = nullptr;
  int row_ = -1;
  bool open_ = false;
  bool dropping_ = false;  // Escape was pressed: the focus leaving is no keeping
};

// The row whose delay cell of the step list lies under the pointer of the message being handled
// (a double click), and that cell in list client coordinates; −1 when the pointer is elsewhere.
int DelayCellUnderPointer(HWND steps, RECT& cell);

// The key field takes keys through the recording hook, never by typing: it shows no text caret.
void HideCaretWhileFocused(HWND field);

}  // namespace orvelle

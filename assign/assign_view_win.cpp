#include "assign/assign_view_win.h"

#include <algorithm>
#include <utility>

#include "assign/dialog_layout.h"
#include "platform/win32/list_controls_win.h"
#include "resources/resource.h"

namespace orvelle {

void ApplyOtherFields(HWND dialog, const AssignView& now) {
  // Compared with what each field shows, so that typing, which the view already holds, leaves
  // the caret where it is.
  const std::pair<int, const std::wstring*> fields[] = {{IDC_TEXT_FIELD, &now.textFieldText},
                                                        {IDC_PROGRAM_PATH, &now.programPathText},
                                                        {IDC_PROGRAM_ARGS, &now.programArgsText}};
  for (const auto& [id, text] : fields) {
    HWND field = GetDlgItem(dialog, id);
    if (WindowText(field) != *text) SetWindowTextW(field, text->c_str());
  }
}

void ApplyNotices(HWND dialog, const AssignView& now, const AssignView& before, bool everything) {
  const std::pair<int, std::wstring AssignView::*> notices[] = {{IDC_RECORD_NOTICE, &AssignView::recordNotice},
                                                                 {IDC_MACRO_HINT, &AssignView::macroHint},
                                                                 {IDC_TURBO_HINT, &AssignView::turboHint}};
  for (const auto& [id, field] : notices) {
    const std::wstring& text = now.*field;
    const std::wstring& was = before.*field;
    const ControlLook look = NoticeLook(now, id);
    if (!everything && text == was && look == NoticeLook(before, id)) continue;
    HWND notice = GetDlgItem(dialog, id);
    SetWindowTextW(notice, text.c_str());
    ShowWindow(notice, look.shown ? SW_SHOWNA : SW_HIDE);
    RECT area{};
    GetWindowRect(notice, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(dialog, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

void ApplyMacroNames(HWND dialog, const AssignView& now, const AssignView& before, bool everything) {
  HWND names = GetDlgItem(dialog, IDC_MACRO_NAMES);
  const bool itemsChanged = everything || now.macroItems != before.macroItems;
  if (itemsChanged) {
    ComboReset(names);
    for (const std::wstring& name : now.macroItems) ComboAdd(names, name);
  }
  if (itemsChanged || now.macroSelection != before.macroSelection) ComboSelect(names, now.macroSelection);
  if (WindowText(names) != now.macroFieldText) SetWindowTextW(names, now.macroFieldText.c_str());
  HWND loops = GetDlgItem(dialog, IDC_LOOP_COUNT);
  if (WindowText(loops) != now.loopCountText) SetWindowTextW(loops, now.loopCountText.c_str());
}

void ApplyStepRows(HWND dialog, const AssignView& now, const AssignView& before, bool everything) {
  if (!everything && now.stepRows == before.stepRows) return;
  HWND steps = GetDlgItem(dialog, IDC_STEP_LIST);
  // A recorded event adds a row at the end: only that row is inserted, the rest stay.
  const bool grewAtEnd = !everything && now.stepRows.size() > before.stepRows.size() &&
                         std::equal(before.stepRows.begin(), before.stepRows.end(), now.stepRows.begin());
  size_t first = 0;
  if (grewAtEnd) {
    first = before.stepRows.size();
  } else {
    ListViewDeleteAll(steps);
  }
  for (size_t r = first; r < now.stepRows.size(); ++r) {
    const StepRow& row = now.stepRows[r];
    ListViewInsertRow(steps, static_cast<int>(r), {row.key.c_str(), row.action.c_str(), row.delay.c_str()});
  }
}

}  // namespace orvelle

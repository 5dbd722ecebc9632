#include "assign/assign_view_win.h"

#include <algorithm>
#include <utility>

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

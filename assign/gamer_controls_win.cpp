#include "assign/gamer_controls_win.h"

#include "assign/gamer_choices.h"
#include "platform/win32/list_controls_win.h"
#include "resources/resource.h"

namespace orvelle {
namespace {

// Four digits hold every period the field takes, and a few wrong ones to refuse in words.
constexpr size_t kPeriodDigits = 4;

}  // namespace

void SetUpGamerControls(HWND dialog) {
  for (const std::wstring& item : ProfileListItems()) ComboAdd(GetDlgItem(dialog, IDC_PROFILE_LIST), item);
  for (const std::wstring& item : MouseListItems()) ComboAdd(GetDlgItem(dialog, IDC_MOUSE_LIST), item);
  SetTextLimit(GetDlgItem(dialog, IDC_TURBO_PERIOD), kPeriodDigits);
}

void ApplyGamerControls(HWND dialog, const AssignView& now, const AssignView& before, bool everything) {
  if (everything || now.profileSelection != before.profileSelection) {
    ComboSelect(GetDlgItem(dialog, IDC_PROFILE_LIST), now.profileSelection);
  }
  if (everything || now.mouseSelection != before.mouseSelection) {
    ComboSelect(GetDlgItem(dialog, IDC_MOUSE_LIST), now.mouseSelection);
  }
  // Compared with what the field shows, so that typing keeps its caret.
  HWND period = GetDlgItem(dialog, IDC_TURBO_PERIOD);
  if (WindowText(period) != now.turboText) SetWindowTextW(period, now.turboText.c_str());
}

}  // namespace orvelle

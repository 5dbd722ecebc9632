#pragma once

#include <windows.h>

#include "assign/assign_view.h"

namespace orvelle {

// The assignment dialog's lists and fields made to show `now`, given what they showed `before`
// (`everything`: whatever they showed). Only what changed is touched, so that typing keeps its
// caret and a recording adds only its new row.
void ApplyMacroNames(HWND dialog, const AssignView& now, const AssignView& before, bool everything);
void ApplyStepRows(HWND dialog, const AssignView& now, const AssignView& before, bool everything);
void ApplyOtherFields(HWND dialog, const AssignView& now);
// The notices beside the record button, under the step list and under the turbo period: their
// text, and whether they show.
// They are drawn over the skin, so the dialog repaints what lies under one that changed.
void ApplyNotices(HWND dialog, const AssignView& now, const AssignView& before, bool everything);

}  // namespace orvelle

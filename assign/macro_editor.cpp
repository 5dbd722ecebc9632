#include "assign/macro_editor.h"

#include <algorithm>

#include "assign/field_input.h"
#include "assign/recording.h"
#include "base/text.h"
#include "base/texts.h"

namespace orvelle {
namespace {

// What the step list's third column shows for `step`: nothing for an untimed macro.
std::wstring DelayText(const MacroDelays& delays, size_t step) {
  if (delays.empty()) return {};
  return FormatInt(step < delays.size() ? delays[step] : 0);
}

// What the step list's second column shows for `step`; any direction but 1 is a release.
std::wstring_view StepActionText(const MacroStep& step) {
  return Text(step.down() ? TextId::StepDown : TextId::StepUp);
}

}  // namespace

MacroEditor::MacroEditor(AssignUi& ui, AssignEdit& edit, AssignView& view) : ui_(ui), edit_(edit), view_(view) {}

void MacroEditor::ShowMacroControls(bool show) { view_.macroControlsVisible = show; }

void MacroEditor::ToggleKeyDelays() {
  // A recording keeps to what the box said when it started.
  if (recording_) return;
  view_.keyDelayBox.selected = !view_.keyDelayBox.selected;
}

// --- macro editor -------------------------------------------------------------------------------

Macro* MacroEditor::Chosen() { return edit_.macros.At(view_.macroSelection); }

void MacroEditor::ResetStepList() {
  view_.stepRows.clear();
  view_.stepSelection = -1;
}

void MacroEditor::FillMacroItems() {
  view_.macroItems.clear();
  for (const Macro& macro : edit_.macros.list) view_.macroItems.push_back(macro.name);
}

void MacroEditor::SelectMacroItem(int item) {
  if (item >= 0 && item < static_cast<int>(view_.macroItems.size())) {
    view_.macroSelection = item;
    view_.macroFieldText = view_.macroItems[static_cast<size_t>(item)];
  } else {
    view_.macroSelection = -1;
    view_.macroFieldText.clear();
  }
}

void MacroEditor::LoadStepList() {
  ResetStepList();
  view_.keyDelayBox.selected = false;
  view_.loopCountText.clear();
  view_.macroHint.clear();
  if (view_.macroSelection < 0) return;
  edit_.macroIndex = view_.macroSelection;
  const Macro* macro = Chosen();
  if (macro == nullptr) return;
  // The delays box says how the chosen macro was recorded: recording more into it goes on alike.
  view_.keyDelayBox.selected = !macro->delays.empty();
  view_.loopCountText = FormatInt(macro->loops);
  ShowStepRows(*macro);
}

void MacroEditor::ShowStepRows(const Macro& macro) {
  view_.stepRows.clear();
  for (size_t i = 0; i < macro.steps.size(); ++i) {
    const MacroStep& step = macro.steps[i];
    view_.stepRows.push_back(
        {ui_.KeyName(step.keyNameParam), std::wstring(StepActionText(step)), DelayText(macro.delays, i)});
  }
}

void MacroEditor::RefillMacroNames() {
  FillMacroItems();
  SelectMacroItem(edit_.macroIndex);
}

void MacroEditor::SelectMacro(int item) {
  SelectMacroItem(item);
  LoadStepList();
}

void MacroEditor::AddMacro() {
  const std::wstring name = L"define" + FormatInt(macroCounter_);
  view_.macroItems.push_back(name);
  ++macroCounter_;
  SelectMacroItem(static_cast<int>(view_.macroItems.size()) - 1);
  ResetStepList();
  edit_.macros.list.push_back(Macro{view_.macroFieldText, {}, {}, 1});
  edit_.macroIndex = view_.macroSelection;
  // A new macro has no steps yet to say how they were recorded: the delays box stays as it is.
  view_.loopCountText = FormatInt(1);
  if (view_.macroItems.size() == 1) view_.stepButtonsEnabled = true;
}

void MacroEditor::DeleteMacro() {
  const int s = view_.macroSelection;
  if (s < 0) return;
  std::vector<int> players;
  for (const auto& [code, index] : edit_.macros.indexMap) {
    if (index == s) players.push_back(code);
  }
  if (!players.empty() && !ui_.ConfirmMacroDelete(Text(TextId::MacroInUseQuestion))) return;
  RemoveMacro(edit_, s);
  ResetStepList();
  if (s < static_cast<int>(view_.macroItems.size())) view_.macroItems.erase(view_.macroItems.begin() + s);
  if (s == 0) {
    if (view_.macroItems.empty()) {
      SelectMacroItem(-1);
      LoadStepList();
      view_.stepButtonsEnabled = false;
    } else {
      SelectMacro(0);
    }
  } else {
    SelectMacro(s - 1);
  }
  edit_.macroIndex = view_.macroSelection;
}

void MacroEditor::RenameMacro(const std::wstring& fieldText) {
  view_.stepButtonsEnabled = true;
  view_.macroFieldText = fieldText;
  // The field takes no more than a name keeps; a longer text from elsewhere is cut as the file would cut it.
  if (Macro* macro = edit_.macros.At(edit_.macroIndex)) macro->name = CutToUnits(fieldText, kMaxNameChars);
}

void MacroEditor::SetLoopCount(const std::wstring& fieldText) {
  view_.loopCountText = fieldText;
  Macro* macro = Chosen();
  if (macro == nullptr) return;
  // An empty field is a count being typed: nothing to refuse yet. The field shows the count kept
  // again once the user leaves it.
  if (fieldText.empty()) return;
  if (const auto loops = ParseFieldNumber(fieldText, 1, kMaxMacroLoops)) {
    macro->loops = *loops;
    view_.macroHint.clear();
  } else {
    view_.macroHint = Text(TextId::LoopCountHint);
  }
}

void MacroEditor::ShowLoopCount() {
  const Macro* macro = Chosen();
  view_.loopCountText = macro != nullptr ? FormatInt(macro->loops) : std::wstring();
}

void MacroEditor::DeleteStep(int selectedRow) {
  Macro* macro = Chosen();
  if (macro == nullptr || selectedRow < 0 || selectedRow >= static_cast<int>(view_.stepRows.size())) return;
  const size_t row = static_cast<size_t>(selectedRow);
  view_.stepRows.erase(view_.stepRows.begin() + selectedRow);
  if (row < macro->steps.size()) macro->steps.erase(macro->steps.begin() + static_cast<std::ptrdiff_t>(row));
  MacroDelays& delays = macro->delays;
  if (row < delays.size()) {
    // The step that followed waits for the deleted one's time as well, so that the steps after it
    // keep their places in time.
    if (row + 1 < delays.size()) {
      delays[row + 1] = std::min(delays[row + 1] + delays[row], kMaxStepDelayMs);
      if (row < view_.stepRows.size()) view_.stepRows[row].delay = FormatInt(delays[row + 1]);
    }
    delays.erase(delays.begin() + static_cast<std::ptrdiff_t>(row));
  }
  view_.stepSelection = selectedRow < static_cast<int>(view_.stepRows.size()) ? selectedRow : -1;
}

void MacroEditor::ClearSteps() {
  Macro* macro = Chosen();
  if (macro == nullptr || macro->steps.empty()) return;
  if (!ui_.AskYesNo(Text(TextId::ClearStepsQuestion))) return;
  macro->steps.clear();
  macro->delays.clear();
  ResetStepList();
}

void MacroEditor::MoveStep(StepMove move, int selectedRow) {
  Macro* macro = Chosen();
  if (macro == nullptr || recording_ || selectedRow >= static_cast<int>(view_.stepRows.size())) return;
  const auto to = StepMoveTarget(move, selectedRow, macro->steps.size());
  if (!to) return;  // no step selected, or it is already at that end
  const size_t from = static_cast<size_t>(selectedRow);
  if (!MoveKeepsReleasesAfterPresses(macro->steps, from, *to)) {
    ui_.Beep();
    return;
  }
  orvelle::MoveStep(macro->steps, macro->delays, from, *to);
  ShowStepRows(*macro);
  view_.stepSelection = static_cast<int>(*to);
}

bool MacroEditor::CanEditDelay(int row) const {
  const Macro* macro = Chosen();
  return macro != nullptr && !recording_ && row >= 0 && static_cast<size_t>(row) < macro->steps.size();
}

std::wstring MacroEditor::DelayFieldText(int row) {
  if (!CanEditDelay(row)) return {};
  const MacroDelays& delays = Chosen()->delays;
  return FormatInt(static_cast<size_t>(row) < delays.size() ? delays[static_cast<size_t>(row)] : 0);
}

bool MacroEditor::SetStepDelay(int row, const std::wstring& fieldText) {
  if (!CanEditDelay(row)) return false;
  const auto delay = ParseFieldNumber(fieldText, 0, kMaxStepDelayMs);
  if (!delay) {
    view_.macroHint = Text(TextId::StepDelayHint);
    return false;
  }
  Macro& macro = *Chosen();
  // A delay given to an untimed macro makes it timed: its other steps keep following at once.
  if (macro.delays.size() != macro.steps.size()) macro.delays.resize(macro.steps.size(), 0);
  macro.delays[static_cast<size_t>(row)] = *delay;
  view_.keyDelayBox.selected = true;  // the box says how the chosen macro is timed
  view_.macroHint.clear();
  ShowStepRows(macro);
  view_.stepSelection = row;
  return true;
}

// --- recording ----------------------------------------------------------------------------------

void MacroEditor::OnRecordButton(int16_t numLockState) {
  // Only a notice, inside the dialog: keypad keys are recorded by their keypad codes either way.
  if (numLockState != 1) {
    view_.recordNotice = Text(TextId::NumLockOffNotice);
  } else {
    view_.recordNotice.clear();
  }
  if (recording_) {
    StopRecording();
    return;
  }
  recording_ = true;
  view_.recordButton.selected = true;  // its own click
  view_.macroEditEnabled = false;
  // A key released while no recording ran must not count as held, or its next press would be
  // taken for an auto-repeat and lost.
  held_.fill(false);
  recordDelays_ = view_.keyDelayBox.selected;
  stepTimed_ = false;
  view_.recordingHook = true;
}

void MacroEditor::StopRecording() {
  if (!recording_) return;
  recording_ = false;
  view_.macroEditEnabled = true;
  view_.recordButton.selected = false;
  view_.recordingHook = false;
}


void MacroEditor::RecordKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time) {
  const int32_t parameter = KeyNameParameter(scanCode, flags);
  const int code = RecordedKeyCode(vkCode, flags);
  const Macro* macro = Chosen();
  if (macro == nullptr) return;
  // A macro holds at most kMaxMacroSteps steps, as a stored one is cut to at load; what is
  // recorded beyond them is not kept.
  if (macro->steps.size() >= static_cast<size_t>(kMaxMacroSteps)) return;
  const bool tracked = code >= 1 && code <= kMaxKeyCode;
  if (press) {
    // A key already held is auto-repeating: only its first press is a step.
    if (!tracked || held_[static_cast<size_t>(code)]) return;
    held_[static_cast<size_t>(code)] = true;
  } else if (tracked) {
    held_[static_cast<size_t>(code)] = false;
  }
  AppendStep(MacroStep{parameter, code, press ? 1 : 0}, time);
}

void MacroEditor::AppendStep(const MacroStep& step, uint32_t time) {
  Macro& macro = *Chosen();
  MacroDelays& delays = macro.delays;
  // The first step of a recording waits for nothing: the time before it went on reaching for the
  // keys, not on the macro.
  const int wait = stepTimed_ ? StepDelayMs(lastStepTime_, time) : 0;
  stepTimed_ = true;
  lastStepTime_ = time;
  const size_t stepsBefore = macro.steps.size();
  macro.steps.push_back(step);
  std::wstring delayText;
  if (recordDelays_ || !delays.empty()) {
    if (delays.size() != stepsBefore) {
      // An untimed macro recorded into with the box ticked becomes timed: the steps it had follow
      // one another at once, as they always did.
      delays.resize(stepsBefore, 0);
      for (size_t row = 0; row < view_.stepRows.size(); ++row) view_.stepRows[row].delay = DelayText(delays, row);
    }
    // A timed macro recorded into with the box clear gets steps that follow at once.
    delays.push_back(recordDelays_ ? wait : 0);
    delayText = FormatInt(delays.back());
  }
  view_.stepRows.push_back({ui_.KeyName(step.keyNameParam), std::wstring(StepActionText(step)), std::move(delayText)});
}

}  // namespace orvelle

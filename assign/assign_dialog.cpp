#include "assign/assign_dialog.h"

#include <algorithm>

#include "assign/recording.h"
#include "base/text.h"

namespace orvelle {
namespace {

// Case folding as the combo box's search sees it, for the scripts our names use.
wchar_t Fold(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
  if (c >= L'А' && c <= L'Я') return static_cast<wchar_t>(c + 32);
  if (c == L'Ё') return L'ё';
  return c;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Fold(text[i]) != Fold(prefix[i])) return false;
  }
  return true;
}

constexpr int kSingleKey = KindNumber(AssignKind::SingleKey);
constexpr int kMacro = KindNumber(AssignKind::Macro);
constexpr int kMedia = KindNumber(AssignKind::Media);
constexpr int kFunction = KindNumber(AssignKind::Function);
constexpr int kText = KindNumber(AssignKind::Text);
constexpr int kProgram = KindNumber(AssignKind::Program);
constexpr size_t kOtherMode = 4;  // the "Other" mode button among the view's modeButtons

std::vector<std::wstring> MediaItems() { return {kMediaTable.begin(), kMediaTable.end()}; }

std::vector<std::wstring> FunctionItems() {
  std::vector<std::wstring> items;
  for (const CommandRow& row : kCommandTable) items.emplace_back(row.displayName);
  return items;
}

bool IsKeyKind(int kind) { return kind == kSingleKey || kind == kMacro || kind == kMedia || kind == kFunction; }

// A key's text as its multi-line field shows it: every line break as CR LF.
std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (wchar_t c : text) {
    if (c == L'\n') out += L'\r';
    out += c;
  }
  return out;
}

// The item of a macro's list (its steps, delays or loop count) at `index`; none outside the list.
template <typename T>
T* ItemAt(std::vector<T>& items, int index) {
  if (index < 0 || index >= static_cast<int>(items.size())) return nullptr;
  return &items[static_cast<size_t>(index)];
}

// What the step list's third column shows for `step`: nothing for an untimed macro.
std::wstring DelayText(const MacroDelays& delays, size_t step) {
  if (delays.empty()) return {};
  return FormatInt(step < delays.size() ? delays[step] : 0);
}

// The field a choice of the "Other" mode puts the focus on.
DialogFocus FocusFor(AssignKind kind) {
  return kind == AssignKind::Text      ? DialogFocus::TextField
         : kind == AssignKind::Program ? DialogFocus::ProgramPath
                                       : DialogFocus::None;
}

}  // namespace

int FindItemPrefix(const std::vector<std::wstring>& items, std::wstring_view text) {
  const int count = static_cast<int>(items.size());
  for (int step = 1; step <= count; ++step) {
    const int i = step % count;
    if (StartsWithNoCase(items[static_cast<size_t>(i)], text)) return i;
  }
  return -1;
}

AssignDialog::AssignDialog(AssignUi& ui) : ui_(ui) {}

void AssignDialog::Open() {
  // A table handed over without its timing lists is untimed and played once; every step of the
  // dialog may then index the lists as it indexes the steps.
  FitMacroTiming(edit_.macroDelays, edit_.macroLoops, edit_.macroSteps.size());
  // The controls are new at every opening: every button at rest, the lists at their first item.
  const std::wstring keyField = view_.keyFieldText;
  view_ = AssignView{};
  view_.keyFieldText = keyField;
  for (BitButtonModel& button : view_.modeButtons) button.sticky = true;
  view_.recordButton.sticky = true;
  view_.holdBox.sticky = view_.keyDelayBox.sticky = true;
  view_.disabledChoice.sticky = view_.textChoice.sticky = view_.programChoice.sticky = true;
  view_.holdBoxVisible = IsKeyKind(edit_.kind);
  view_.holdBox.selected = edit_.hold;
  view_.otherButtonVisible = otherModePlaced_ && edit_.kind != kMacroOnlyKind;
  view_.textFieldText = WithCrLf(edit_.text);
  view_.programPathText = edit_.program;
  view_.programArgsText = edit_.args;
  ResetStepList();
  switch (edit_.kind) {
    case kSingleKey:
      view_.modeButtons[0].SelectButton();
      view_.keyFieldVisible = true;
      view_.keyFieldText = edit_.displayName;
      view_.recordingHook = true;
      break;
    case kMacro:
    case kMacroOnlyKind:
      view_.modeButtons[1].SelectButton();
      ShowMacroControls(true);
      FillMacroItems();
      SelectMacroItem(edit_.macroIndex);
      LoadStepList();
      if (edit_.kind == kMacro) {
        view_.keyFieldText.clear();
      } else {
        view_.singleKeyButtonVisible = view_.mediaButtonVisible = view_.functionButtonVisible = false;
      }
      break;
    case kMedia:
      view_.modeButtons[2].SelectButton();
      view_.mediaListVisible = true;
      view_.mediaSelection = FindItemPrefix(MediaItems(), edit_.displayName);
      view_.keyFieldText.clear();
      break;
    case kFunction:
      view_.modeButtons[3].SelectButton();
      view_.functionListVisible = true;
      view_.functionSelection = FindItemPrefix(FunctionItems(), edit_.displayName);
      view_.keyFieldText.clear();
      break;
    case KindNumber(AssignKind::Disabled):
    case kText:
    case kProgram:
      view_.keyFieldText.clear();
      // A layout without the mode shows none, as for a kind the dialog does not know; OK then
      // leaves the key as it is.
      if (!otherModePlaced_) break;
      view_.modeButtons[kOtherMode].SelectButton();
      view_.otherControlsVisible = true;
      ShowChoice(static_cast<AssignKind>(edit_.kind));
      break;
    default:
      break;
  }
  recording_ = false;
}

void AssignDialog::ShowMacroControls(bool show) { view_.macroControlsVisible = show; }

void AssignDialog::SelectModeButton(int button) {
  for (size_t i = 0; i < view_.modeButtons.size(); ++i) {
    // Its own click selects the clicked one.
    view_.modeButtons[i].selected = static_cast<int>(i) == button;
  }
}

void AssignDialog::HideModeControls() {
  view_.keyFieldVisible = view_.mediaListVisible = view_.functionListVisible = false;
  view_.otherControlsVisible = false;
  ShowMacroControls(false);
}

void AssignDialog::EnterMode(size_t button, int kind, bool& control, DialogFocus focus) {
  StopRecording();
  edit_.kind = kind;
  if (kind != kMacro) edit_.macroIndex = 0;
  SelectModeButton(static_cast<int>(button));
  HideModeControls();
  view_.holdBoxVisible = true;
  control = true;
  view_.focus = focus;
  ++view_.focusRequests;
}

void AssignDialog::OnSingleKeyButton() {
  EnterMode(0, kSingleKey, view_.keyFieldVisible, DialogFocus::KeyField);
  view_.recordingHook = true;
}

void AssignDialog::OnMacroButton() {
  if (edit_.kind == kMacroOnlyKind) return;
  EnterMode(1, kMacro, view_.macroControlsVisible, DialogFocus::MacroNames);
  FillMacroItems();
  if (edit_.macroNames.empty()) AddMacro();
  SelectMacroItem(edit_.macroIndex);
  LoadStepList();
  view_.recordingHook = false;
}

void AssignDialog::OnMediaButton() { EnterMode(2, kMedia, view_.mediaListVisible, DialogFocus::MediaList); }

void AssignDialog::OnFunctionButton() {
  EnterMode(3, kFunction, view_.functionListVisible, DialogFocus::FunctionList);
}

void AssignDialog::OnOtherButton() {
  if (edit_.kind == kMacroOnlyKind || !otherModePlaced_) return;
  const AssignKind chosen = ChosenOtherKind();
  EnterMode(kOtherMode, KindNumber(chosen), view_.otherControlsVisible, FocusFor(chosen));
  view_.holdBoxVisible = false;  // a key that sends nothing, types or starts something is never held
  // The text and path fields take the keys typed into them.
  view_.recordingHook = false;
  ShowChoice(chosen);
}

AssignKind AssignDialog::ChosenOtherKind() const {
  // The choice made before in this opening, or the first one.
  if (view_.textChoice.selected) return AssignKind::Text;
  if (view_.programChoice.selected) return AssignKind::Program;
  return AssignKind::Disabled;
}

void AssignDialog::ShowChoice(AssignKind kind) {
  view_.disabledChoice.selected = kind == AssignKind::Disabled;
  view_.textChoice.selected = kind == AssignKind::Text;
  view_.programChoice.selected = kind == AssignKind::Program;
  view_.textFieldEnabled = kind == AssignKind::Text;
  view_.programFieldsEnabled = kind == AssignKind::Program;
}

void AssignDialog::Choose(AssignKind kind) {
  if (!view_.otherControlsVisible) return;
  edit_.kind = KindNumber(kind);
  ShowChoice(kind);
  view_.focus = FocusFor(kind);
  ++view_.focusRequests;
}

void AssignDialog::TakeBrowsedFile(const std::wstring& path) {
  if (!view_.programFieldsEnabled) return;
  view_.programPathText = path;
}

void AssignDialog::OnClear() {
  if (edit_.kind == kMacroOnlyKind) return;
  view_.keyFieldText.clear();
  view_.holdBox.selected = false;  // the key goes back to sending itself, and nothing of it is held
  edit_.capturedKeyCode = edit_.keyCode;
  OnSingleKeyButton();
  view_.modeButtons[0].SelectButton();
}

void AssignDialog::ToggleHold() {
  if (!view_.holdBoxVisible) return;
  view_.holdBox.selected = !view_.holdBox.selected;
}

void AssignDialog::ToggleKeyDelays() {
  // A recording keeps to what the box said when it started.
  if (recording_) return;
  view_.keyDelayBox.selected = !view_.keyDelayBox.selected;
}

void AssignDialog::ReleaseSkin() {
  view_.recordingHook = false;
  for (BitButtonModel& button : view_.modeButtons) button.Reset();
  view_.recordButton.Reset();
  view_.holdBox.Reset();
  view_.keyDelayBox.Reset();
  view_.disabledChoice.Reset();
  view_.textChoice.Reset();
  view_.programChoice.Reset();
}

void AssignDialog::OnCancel() {
  ReleaseSkin();
  view_.keyFieldText.clear();
  edit_.capturedKeyCode = edit_.keyCode;
}

void AssignDialog::OnOk(const MediaNameMap& media, int mediaSelection, int functionSelection) {
  const std::vector<std::wstring> mediaItems = MediaItems();
  const std::vector<std::wstring> functionItems = FunctionItems();
  auto itemText = [](const std::vector<std::wstring>& items, int selection) {
    return selection >= 0 && selection < static_cast<int>(items.size()) ? items[static_cast<size_t>(selection)]
                                                                         : std::wstring();
  };
  const std::wstring mediaText = itemText(mediaItems, mediaSelection);
  if (view_.modeButtons[0].selected) {
    edit_.displayName = view_.keyFieldText;
  } else if (view_.modeButtons[1].selected) {
    edit_.displayName = view_.macroFieldText;
  } else if (view_.modeButtons[2].selected) {
    edit_.displayName = mediaText;
  } else if (view_.modeButtons[3].selected) {
    edit_.displayName = itemText(functionItems, functionSelection);
  }
  if (edit_.kind != kMacroOnlyKind) edit_.hold = view_.holdBox.selected;
  if (!IsActionKind(edit_.kind)) {
    // Only the kinds of the "Other" mode keep a text, a program or arguments.
    edit_.text.clear();
    edit_.program.clear();
    edit_.args.clear();
  }

  // What the key is to send; the model settles its entry by the identity rule.
  edit_.sends.reset();
  switch (edit_.kind) {
    case kSingleKey:
      edit_.sends = OutputSequence{edit_.capturedKeyCode};
      break;
    case kMacro:
      RefillMacroNames();
      if (view_.macroSelection >= 0) edit_.macroIndexMap[edit_.keyCode] = view_.macroSelection;
      break;
    case kMedia:
      edit_.displayName = mediaText;
      if (const auto code = FindMedia(media, mediaText)) edit_.sends = OutputSequence{*code};
      break;
    case kFunction:
      // No command chosen: the key keeps sending itself rather than nothing.
      edit_.sends = CommandSequence(functionSelection);
      break;
    case KindNumber(AssignKind::Disabled):
    case kText:
    case kProgram:
      OtherOk();
      break;
    default:
      break;  // macro-only mode: the main window takes the whole macro table back
  }
  ReleaseSkin();
}

void AssignDialog::OtherOk() {
  // Opened on such a key by a layout without the mode: nothing was shown, nothing changes.
  if (!view_.otherControlsVisible) return;
  // Nothing to type or to start: the key sends itself again, unassigned, as after Clear.
  const KeyAssignment record =
      ActionRecord(edit_.kind, view_.textFieldText, view_.programPathText, view_.programArgsText)
          .value_or(KeyAssignment{std::wstring(), kSingleKey, 0, false});
  edit_.kind = record.kind;
  edit_.displayName = record.name;
  edit_.macroIndex = 0;
  edit_.hold = false;
  edit_.text = record.text;
  edit_.program = record.program;
  edit_.args = record.args;
  // It plays no macro, whatever it becomes; a key back at itself sends itself.
  edit_.macroIndexMap.erase(edit_.keyCode);
  if (record.kind == kSingleKey) edit_.sends = OutputSequence{edit_.keyCode};
}

// --- macro editor -------------------------------------------------------------------------------

MacroSteps* AssignDialog::ChosenSteps() { return ItemAt(edit_.macroSteps, view_.macroSelection); }
MacroDelays* AssignDialog::ChosenDelays() { return ItemAt(edit_.macroDelays, view_.macroSelection); }
int* AssignDialog::ChosenLoops() { return ItemAt(edit_.macroLoops, view_.macroSelection); }

void AssignDialog::ResetStepList() {
  view_.stepRows.clear();
  view_.stepSelection = -1;
}

void AssignDialog::FillMacroItems() { view_.macroItems = edit_.macroNames; }

void AssignDialog::SelectMacroItem(int item) {
  if (item >= 0 && item < static_cast<int>(view_.macroItems.size())) {
    view_.macroSelection = item;
    view_.macroFieldText = view_.macroItems[static_cast<size_t>(item)];
  } else {
    view_.macroSelection = -1;
    view_.macroFieldText.clear();
  }
}

void AssignDialog::LoadStepList() {
  ResetStepList();
  view_.keyDelayBox.selected = false;
  view_.loopCountText.clear();
  if (view_.macroSelection < 0) return;
  edit_.macroIndex = view_.macroSelection;
  const MacroSteps* steps = ChosenSteps();
  if (steps == nullptr) return;
  const MacroDelays* delays = ChosenDelays();
  const MacroDelays none;
  const MacroDelays& waits = delays != nullptr ? *delays : none;
  // The delays box says how the chosen macro was recorded: recording more into it goes on alike.
  view_.keyDelayBox.selected = !waits.empty();
  if (const int* loops = ChosenLoops()) view_.loopCountText = FormatInt(*loops);
  for (size_t i = 0; i + 2 < steps->size(); i += 3) {
    view_.stepRows.push_back(
        {ui_.KeyName((*steps)[i]), (*steps)[i + 2] == 1 ? L"down" : L"up", DelayText(waits, i / 3)});
  }
}

void AssignDialog::RefillMacroNames() {
  FillMacroItems();
  SelectMacroItem(edit_.macroIndex);
}

void AssignDialog::SelectMacro(int item) {
  SelectMacroItem(item);
  LoadStepList();
}

void AssignDialog::AddMacro() {
  const std::wstring name = L"define" + FormatInt(macroCounter_);
  view_.macroItems.push_back(name);
  ++macroCounter_;
  SelectMacroItem(static_cast<int>(view_.macroItems.size()) - 1);
  ResetStepList();
  edit_.macroSteps.emplace_back();
  edit_.macroNames.push_back(view_.macroFieldText);
  edit_.macroDelays.emplace_back();
  edit_.macroLoops.push_back(1);
  edit_.macroIndex = view_.macroSelection;
  // A new macro has no steps yet to say how they were recorded: the delays box stays as it is.
  view_.loopCountText = FormatInt(1);
  if (view_.macroItems.size() == 1) view_.stepButtonsEnabled = true;
}

void AssignDialog::DeleteMacro() {
  const int s = view_.macroSelection;
  if (s < 0) return;
  std::vector<int> players;
  for (const auto& [code, index] : edit_.macroIndexMap) {
    if (index == s) players.push_back(code);
  }
  if (!players.empty() && !ui_.ConfirmMacroDelete(kMacroInUseQuestion)) return;
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

void AssignDialog::RenameMacro(const std::wstring& fieldText) {
  view_.stepButtonsEnabled = true;
  view_.macroFieldText = fieldText;
  if (edit_.macroIndex >= 0 && edit_.macroIndex < static_cast<int>(edit_.macroNames.size())) {
    edit_.macroNames[static_cast<size_t>(edit_.macroIndex)] = fieldText;
  }
}

void AssignDialog::SetLoopCount(const std::wstring& fieldText) {
  view_.loopCountText = fieldText;
  int* loops = ChosenLoops();
  if (loops == nullptr) return;
  // Whatever is typed, the count kept is one the macro can play; the field shows it again once
  // the user leaves it.
  *loops = std::clamp(ParseInt(fieldText), 1, kMaxMacroLoops);
}

void AssignDialog::ShowLoopCount() {
  const int* loops = ChosenLoops();
  view_.loopCountText = loops != nullptr ? FormatInt(*loops) : std::wstring();
}

void AssignDialog::DeleteStep(int selectedRow) {
  MacroSteps* steps = ChosenSteps();
  if (steps == nullptr || selectedRow < 0 || selectedRow >= static_cast<int>(view_.stepRows.size())) return;
  const size_t row = static_cast<size_t>(selectedRow);
  view_.stepRows.erase(view_.stepRows.begin() + selectedRow);
  const size_t first = row * 3;
  if (first < steps->size()) {
    const auto begin = steps->begin() + static_cast<std::ptrdiff_t>(first);
    steps->erase(begin, begin + static_cast<std::ptrdiff_t>(std::min<size_t>(3, steps->size() - first)));
  }
  MacroDelays* delays = ChosenDelays();
  if (delays != nullptr && row < delays->size()) {
    // The step that followed waits for the deleted one's time as well, so that the steps after it
    // keep their places in time.
    if (row + 1 < delays->size()) {
      (*delays)[row + 1] = std::min((*delays)[row + 1] + (*delays)[row], kMaxStepDelayMs);
      if (row < view_.stepRows.size()) view_.stepRows[row].delay = FormatInt((*delays)[row + 1]);
    }
    delays->erase(delays->begin() + static_cast<std::ptrdiff_t>(row));
  }
  view_.stepSelection = selectedRow < static_cast<int>(view_.stepRows.size()) ? selectedRow : -1;
}

void AssignDialog::ClearSteps() {
  MacroSteps* steps = ChosenSteps();
  if (steps == nullptr) return;
  steps->clear();
  if (MacroDelays* delays = ChosenDelays()) delays->clear();
  ResetStepList();
}

void AssignDialog::SelectFirstStep() {
  if (!view_.stepRows.empty()) view_.stepSelection = 0;
}

void AssignDialog::SelectStepAbove(int selectedRow) {
  if (selectedRow > 0 && selectedRow < static_cast<int>(view_.stepRows.size())) view_.stepSelection = selectedRow - 1;
}

void AssignDialog::SelectStepBelow(int selectedRow) {
  if (selectedRow >= 0 && selectedRow + 1 < static_cast<int>(view_.stepRows.size())) {
    view_.stepSelection = selectedRow + 1;
  }
}

void AssignDialog::SelectLastStep() {
  if (!view_.stepRows.empty()) view_.stepSelection = static_cast<int>(view_.stepRows.size()) - 1;
}

// --- recording ----------------------------------------------------------------------------------

void AssignDialog::OnRecordButton(int16_t numLockState) {
  // Only a warning: keypad keys are recorded by their keypad codes either way.
  if (numLockState != 1) ui_.Warn(kKeypadNotLocked);
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

void AssignDialog::StopRecording() {
  if (!recording_) return;
  recording_ = false;
  view_.macroEditEnabled = true;
  view_.recordButton.selected = false;
  view_.recordingHook = false;
}

void AssignDialog::OnHookKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time) {
  const CaptureTarget target = CaptureTargetFor(edit_.kind);
  if (press) {
    edit_.capturedKeyCode = RecordedKeyCode(vkCode, flags);
    if (target == CaptureTarget::KeyField) view_.keyFieldText = ui_.KeyName(KeyNameParameter(scanCode, flags));
  }
  if (target == CaptureTarget::Recorder) RecordKeyEvent(press, vkCode, scanCode, flags, time);
}

bool AssignDialog::TakeRecordedKeys(RecordedKeyQueue& keys, bool sentFromAnotherThread) {
  if (sentFromAnotherThread) return false;
  RecordedKey key;
  while (keys.Pop(key)) OnHookKeyEvent(key.press, key.vkCode, key.scanCode, key.flags, key.time);
  return true;
}

void AssignDialog::RecordKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time) {
  const int32_t parameter = KeyNameParameter(scanCode, flags);
  const int code = RecordedKeyCode(vkCode, flags);
  const MacroSteps* steps = ChosenSteps();
  if (steps == nullptr) return;
  // A macro holds at most kMaxMacroSteps steps, as a stored one is cut to at load; what is
  // recorded beyond them is not kept.
  if (steps->size() / 3 >= static_cast<size_t>(kMaxMacroSteps)) return;
  const bool tracked = code >= 1 && code <= kMaxKeyCode;
  if (press) {
    // A key already held is auto-repeating: only its first press is a step.
    if (!tracked || held_[static_cast<size_t>(code)]) return;
    held_[static_cast<size_t>(code)] = true;
  } else if (tracked) {
    held_[static_cast<size_t>(code)] = false;
  }
  AppendStep(parameter, code, press ? 1 : 0, time);
}

void AssignDialog::AppendStep(int parameter, int code, int direction, uint32_t time) {
  MacroSteps& steps = *ChosenSteps();
  MacroDelays* delays = ChosenDelays();
  // The first step of a recording waits for nothing: the time before it went on reaching for the
  // keys, not on the macro.
  const int wait = stepTimed_ ? StepDelayMs(lastStepTime_, time) : 0;
  stepTimed_ = true;
  lastStepTime_ = time;
  const size_t stepsBefore = StepCount(steps);
  steps.insert(steps.end(), {parameter, code, direction});
  std::wstring delayText;
  if (delays != nullptr && (recordDelays_ || !delays->empty())) {
    if (delays->size() != stepsBefore) {
      // An untimed macro recorded into with the box ticked becomes timed: the steps it had follow
      // one another at once, as they always did.
      delays->resize(stepsBefore, 0);
      for (size_t row = 0; row < view_.stepRows.size(); ++row) view_.stepRows[row].delay = DelayText(*delays, row);
    }
    // A timed macro recorded into with the box clear gets steps that follow at once.
    delays->push_back(recordDelays_ ? wait : 0);
    delayText = FormatInt(delays->back());
  }
  view_.stepRows.push_back({ui_.KeyName(parameter), direction == 1 ? L"down" : L"up", std::move(delayText)});
}

}  // namespace orvelle

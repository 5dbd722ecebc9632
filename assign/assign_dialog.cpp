#include "assign/assign_dialog.h"

#include <algorithm>

#include "assign/field_input.h"
#include "assign/recording.h"
#include "base/text.h"
#include "base/texts.h"

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

constexpr size_t kOtherMode = 4;  // the "Other" mode button among the view's modeButtons

std::vector<std::wstring> MediaItems() { return {kMediaTable.begin(), kMediaTable.end()}; }

std::vector<std::wstring> FunctionItems() {
  std::vector<std::wstring> items;
  for (const CommandRow& row : kCommandTable) items.emplace_back(row.displayName);
  return items;
}

bool IsKeyKind(AssignKind kind) {
  return kind == AssignKind::SingleKey || kind == AssignKind::Macro || kind == AssignKind::Media ||
         kind == AssignKind::Function;
}

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

// The field a choice of the "Other" mode puts the focus on.
DialogFocus FocusFor(AssignKind kind) {
  return kind == AssignKind::Text ? DialogFocus::TextField
                                  : (kind == AssignKind::Program ? DialogFocus::ProgramPath : DialogFocus::None);
}

}  // namespace

std::vector<std::wstring> FunctionListItems() {
  std::vector<std::wstring> items;
  for (const CommandRow& row : kCommandTable) items.push_back(FunctionListText(row));
  return items;
}

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
  // The controls are new at every opening: every button at rest, the lists at their first item.
  const std::wstring keyField = view_.keyFieldText;
  view_ = AssignView{};
  view_.keyFieldText = keyField;
  for (BitButtonModel& button : view_.modeButtons) button.sticky = true;
  view_.recordButton.sticky = true;
  view_.holdBox.sticky = view_.keyDelayBox.sticky = true;
  view_.disabledChoice.sticky = view_.textChoice.sticky = view_.programChoice.sticky = true;
  view_.holdBoxVisible = !MacroTableAlone() && IsKeyKind(edit_.kind);
  view_.holdBox.selected = edit_.hold;
  view_.otherButtonVisible = otherModePlaced_ && !MacroTableAlone();
  view_.textFieldText = WithCrLf(edit_.text);
  view_.programPathText = edit_.program;
  view_.programArgsText = edit_.args;
  macros_.ResetStepList();
  gamer_.Open();
  switch (edit_.kind) {
    case AssignKind::SingleKey:
      view_.modeButtons[0].SelectButton();
      view_.keyFieldVisible = true;
      view_.keyFieldText = edit_.displayName;
      view_.recordingHook = true;
      break;
    case AssignKind::Macro:
      view_.modeButtons[1].SelectButton();
      macros_.ShowMacroControls(true);
      macros_.FillMacroItems();
      macros_.SelectMacroItem(edit_.macroIndex);
      macros_.LoadStepList();
      if (!MacroTableAlone()) {
        view_.keyFieldText.clear();
      } else {
        view_.singleKeyButtonVisible = view_.mediaButtonVisible = view_.functionButtonVisible = false;
      }
      break;
    case AssignKind::Media:
      view_.modeButtons[2].SelectButton();
      view_.mediaListVisible = true;
      view_.mediaSelection = FindItemPrefix(MediaItems(), edit_.displayName);
      view_.keyFieldText.clear();
      break;
    case AssignKind::Function:
      view_.modeButtons[3].SelectButton();
      view_.functionListVisible = true;
      view_.functionSelection = FindItemPrefix(FunctionItems(), edit_.displayName);
      view_.keyFieldText.clear();
      break;
    case AssignKind::Disabled:
    case AssignKind::Text:
    case AssignKind::Program:
    case AssignKind::Profile:
    case AssignKind::Mouse:
      view_.keyFieldText.clear();
      // A layout without the mode (or the choice) shows none, as for a kind the dialog does not
      // know; OK then leaves the key as it is.
      if (!otherModePlaced_ || (edit_.kind >= AssignKind::Profile && !gamer_.placed())) break;
      view_.modeButtons[kOtherMode].SelectButton();
      view_.otherControlsVisible = true;
      ShowChoice(edit_.kind);
      break;
    default:
      break;
  }
  gamer_.ShowTurbo(!MacroTableAlone());
  keyName_ = view_.keyFieldText;
  keysDown_.reset();
  macros_.ForgetRecording();
}

void AssignDialog::ShowKeyName(std::wstring name) {
  view_.keyFieldText = name;
  keyName_ = std::move(name);
}

void AssignDialog::SelectModeButton(int button) {
  for (size_t i = 0; i < view_.modeButtons.size(); ++i) {
    // Its own click selects the clicked one.
    view_.modeButtons[i].selected = static_cast<int>(i) == button;
  }
}

void AssignDialog::HideModeControls() {
  view_.keyFieldVisible = view_.mediaListVisible = view_.functionListVisible = false;
  view_.otherControlsVisible = false;
  macros_.ShowMacroControls(false);
}

void AssignDialog::EnterMode(size_t button, AssignKind kind, bool& control, DialogFocus focus) {
  macros_.StopRecording();
  edit_.kind = kind;
  if (kind != AssignKind::Macro) edit_.macroIndex = 0;
  SelectModeButton(static_cast<int>(button));
  HideModeControls();
  view_.holdBoxVisible = true;
  gamer_.ShowTurbo(true);
  control = true;
  view_.focus = focus;
  ++view_.focusRequests;
}

void AssignDialog::OnSingleKeyButton() {
  EnterMode(0, AssignKind::SingleKey, view_.keyFieldVisible, DialogFocus::KeyField);
  view_.recordingHook = true;
  // The field shows the key it takes, not a refusal left from before.
  view_.keyFieldText = keyName_;
  keysDown_.reset();
}

void AssignDialog::OnMacroButton() {
  if (MacroTableAlone()) return;
  EnterMode(1, AssignKind::Macro, view_.macroControlsVisible, DialogFocus::MacroNames);
  macros_.FillMacroItems();
  if (edit_.macros.list.empty()) macros_.AddMacro();
  macros_.SelectMacroItem(edit_.macroIndex);
  macros_.LoadStepList();
  view_.recordingHook = false;
}

void AssignDialog::OnMediaButton() { EnterMode(2, AssignKind::Media, view_.mediaListVisible, DialogFocus::MediaList); }

void AssignDialog::OnFunctionButton() {
  EnterMode(3, AssignKind::Function, view_.functionListVisible, DialogFocus::FunctionList);
}

void AssignDialog::OnOtherButton() {
  if (MacroTableAlone() || !otherModePlaced_) return;
  const AssignKind chosen = ChosenOtherKind();
  EnterMode(kOtherMode, chosen, view_.otherControlsVisible, FocusFor(chosen));
  view_.holdBoxVisible = false;  // a key that sends nothing, types or starts something is never held
  // The text and path fields take the keys typed into them.
  view_.recordingHook = false;
  ShowChoice(chosen);
}

AssignKind AssignDialog::ChosenOtherKind() const {
  // The choice made before in this opening, or the first one.
  if (view_.textChoice.selected) return AssignKind::Text;
  if (view_.programChoice.selected) return AssignKind::Program;
  if (view_.profileChoice.selected) return AssignKind::Profile;
  if (view_.mouseChoice.selected) return AssignKind::Mouse;
  return AssignKind::Disabled;
}

void AssignDialog::ShowChoice(AssignKind kind) {
  view_.disabledChoice.selected = kind == AssignKind::Disabled;
  view_.textChoice.selected = kind == AssignKind::Text;
  view_.programChoice.selected = kind == AssignKind::Program;
  view_.textFieldEnabled = kind == AssignKind::Text;
  view_.programFieldsEnabled = kind == AssignKind::Program;
  gamer_.ShowChoice(kind);
  gamer_.ShowTurbo(true);
}

void AssignDialog::Choose(AssignKind kind) {
  if (!view_.otherControlsVisible) return;
  edit_.kind = kind;
  ShowChoice(kind);
  view_.focus = FocusFor(kind);
  ++view_.focusRequests;
}

void AssignDialog::TakeBrowsedFile(const std::wstring& path) {
  if (!view_.programFieldsEnabled) return;
  view_.programPathText = path;
}

void AssignDialog::OnClear() {
  if (MacroTableAlone()) return;
  ShowKeyName(std::wstring());
  view_.holdBox.selected = false;  // the key goes back to sending itself, and nothing of it is held
  edit_.capturedKeyCode = edit_.keyCode;
  OnSingleKeyButton();
  view_.modeButtons[0].SelectButton();
}

void AssignDialog::ToggleHold() {
  if (!view_.holdBoxVisible) return;
  view_.holdBox.selected = !view_.holdBox.selected;
  if (view_.holdBox.selected) gamer_.HoldTicked();
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
  gamer_.Release();
}

void AssignDialog::OnCancel() {
  ReleaseSkin();
  ShowKeyName(std::wstring());
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
    edit_.displayName = keyName_;
  } else if (view_.modeButtons[1].selected) {
    edit_.displayName = view_.macroFieldText;
  } else if (view_.modeButtons[2].selected) {
    edit_.displayName = mediaText;
  } else if (view_.modeButtons[3].selected) {
    edit_.displayName = itemText(functionItems, functionSelection);
  }
  if (!MacroTableAlone()) edit_.hold = view_.holdBox.selected;
  gamer_.Ok();
  if (!IsActionKind(edit_.kind)) {
    // Only the kinds of the "Other" mode keep a text, a program or arguments.
    edit_.text.clear();
    edit_.program.clear();
    edit_.args.clear();
  }

  // What the key is to send; the model settles its entry by the identity rule.
  edit_.sends.reset();
  if (MacroTableAlone()) {
    // No key is edited: the main window takes the whole macro table back.
    ReleaseSkin();
    return;
  }
  switch (edit_.kind) {
    case AssignKind::SingleKey:
      edit_.sends = OutputSequence{edit_.capturedKeyCode};
      break;
    case AssignKind::Macro:
      macros_.RefillMacroNames();
      if (view_.macroSelection >= 0) edit_.macros.indexMap[edit_.keyCode] = view_.macroSelection;
      break;
    case AssignKind::Media:
      edit_.displayName = mediaText;
      if (const auto code = FindMedia(media, mediaText)) edit_.sends = OutputSequence{*code};
      break;
    case AssignKind::Function:
      // No command chosen: the key keeps sending itself rather than nothing.
      edit_.sends = CommandSequence(functionSelection);
      break;
    case AssignKind::Disabled:
    case AssignKind::Text:
    case AssignKind::Program:
    case AssignKind::Profile:
    case AssignKind::Mouse:
      OtherOk();
      break;
    default:
      break;
  }
  ReleaseSkin();
}

void AssignDialog::OtherOk() {
  // Opened on such a key by a layout without the mode: nothing was shown, nothing changes.
  if (!view_.otherControlsVisible) return;
  // Nothing to type or to start: the key sends itself again, unassigned, as after Clear.
  const bool gamer = edit_.kind == AssignKind::Profile || edit_.kind == AssignKind::Mouse;
  const KeyAssignment record =
      (gamer ? gamer_.OtherRecord(edit_.kind)
             : ActionRecord(edit_.kind, view_.textFieldText, view_.programPathText, view_.programArgsText))
          .value_or(KeyAssignment{std::wstring(), AssignKind::SingleKey, 0, false});
  edit_.kind = record.kind;
  edit_.displayName = record.name;
  edit_.macroIndex = 0;
  edit_.hold = false;
  edit_.text = record.text;
  edit_.program = record.program;
  edit_.args = record.args;
  edit_.profileTarget = record.profileTarget;
  edit_.mouse = record.mouse;
  // It plays no macro, whatever it becomes; a key back at itself sends itself.
  edit_.macros.indexMap.erase(edit_.keyCode);
  if (record.kind == AssignKind::SingleKey) edit_.sends = OutputSequence{edit_.keyCode};
}

void AssignDialog::OnHookKeyEvent(bool press, int vkCode, uint32_t scanCode, uint32_t flags, uint32_t time) {
  const CaptureTarget target = CaptureTargetFor(edit_.kind);
  // Only single-key mode captures: a key pressed in another mode (a step being recorded, say)
  // would otherwise become what the key sends while the key field still shows the earlier one.
  if (target == CaptureTarget::KeyField && vkCode >= 0 && vkCode < static_cast<int>(keysDown_.size())) {
    const auto key = static_cast<size_t>(vkCode);
    if (!press) {
      keysDown_.reset(key);
    } else if (!keysDown_.test(key)) {  // a held key's auto-repeat changes nothing
      if (keysDown_.none()) {
        codeBeforeChord_ = edit_.capturedKeyCode;
        nameBeforeChord_ = keyName_;
        edit_.capturedKeyCode = RecordedKeyCode(vkCode, flags);
        ShowKeyName(ui_.KeyName(KeyNameParameter(scanCode, flags)));
      } else {
        // Ctrl+Shift+F5 and the like: the key sends one key, so none of the combination's keys
        // is taken for it, and the field says why.
        edit_.capturedKeyCode = codeBeforeChord_;
        keyName_ = nameBeforeChord_;
        view_.keyFieldText = Text(TextId::SingleKeysOnly);
      }
      keysDown_.set(key);
    }
  }
  if (target == CaptureTarget::Recorder) macros_.RecordKeyEvent(press, vkCode, scanCode, flags, time);
}

bool AssignDialog::TakeRecordedKeys(RecordedKeyQueue& keys, bool sentFromAnotherThread) {
  if (sentFromAnotherThread) return false;
  RecordedKey key;
  while (keys.Pop(key)) OnHookKeyEvent(key.press, key.vkCode, key.scanCode, key.flags, key.time);
  return true;
}

}  // namespace orvelle

#include "model/program_start.h"

#include <algorithm>

#include "base/text.h"
#include "base/texts.h"
#include "model/profile_file.h"

namespace orvelle {
namespace {

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// "C:\…", "C:/…" or "\\server\…".
bool IsFullPath(const std::wstring& path) {
  const bool drive = path.size() >= 3 &&
                     ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                     path[1] == L':' && IsSlash(path[2]);
  const bool network = path.size() >= 3 && IsSlash(path[0]) && IsSlash(path[1]);
  return drive || network;
}

std::wstring_view WithoutBlanksAround(std::wstring_view text) {
  const size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// "C:\Program Files\App\app.exe" with its quotes, as Explorer's "Copy as path" gives it.
std::wstring_view Unquoted(std::wstring_view path) {
  path = WithoutBlanksAround(path);
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
  return WithoutBlanksAround(path);
}

}  // namespace

ProgramStart StartFor(std::wstring_view path, std::wstring args, const ExpandVariables& expand) {
  ProgramStart start{std::wstring(WithoutBlanksAround(expand(std::wstring(Unquoted(path))))), std::move(args), {}};
  if (IsFullPath(start.file)) start.folder = FolderOf(start.file);
  return start;
}

std::optional<ProgramStart> ProgramToStart(const ProfileSet& set, const KeyTable& table, int profile, int code,
                                           const ExpandVariables& expand) {
  if (!IsProfileNumber(profile) || !IsSendableKeyCode(code)) return std::nullopt;
  const KeyAssignment* record = DecidingRecord(set.Profile(profile), table, code);
  if (record == nullptr || record->kind != AssignKind::Program || !HasAction(*record)) return std::nullopt;
  ProgramStart start = StartFor(record->program, record->args, expand);
  if (start.file.empty()) return std::nullopt;  // a pair of quotes around nothing
  return start;
}

std::wstring ProgramStartFailedMessage(const std::wstring& path) {
  return TextWith(TextId::ProgramStartFailed, {path});
}

std::vector<ImportedAction> ImportedActions(const ProfileData& data, const KeyTable& table,
                                            const ExpandVariables& expand) {
  std::vector<ImportedAction> actions;
  for (int slot = 0; slot < kKeySlotCount; ++slot) {
    const KeyAssignment& record = data.records[static_cast<size_t>(slot)];
    const KeySlot& key = table.slots[static_cast<size_t>(slot)];
    if (DecidingRecord(data, table, key.keyCode) != &record) continue;
    std::wstring what;
    if (record.kind == AssignKind::Macro) {
      const std::optional<int> macro = data.macros.PlayedBy(key.keyCode);
      if (!macro) continue;
      what = TextWith(TextId::ActionMacro, {Excerpt(data.macros.At(*macro)->name, kMaxShownNameChars)});
    } else if (record.kind == AssignKind::Text && HasAction(record)) {
      std::wstring text = record.text;
      std::replace(text.begin(), text.end(), L'\n', L'↵');
      std::replace(text.begin(), text.end(), L'\t', L' ');
      what = TextWith(TextId::ActionText, {Excerpt(text, kMaxShownNameChars)});
    } else if (record.kind == AssignKind::Program && HasAction(record)) {
      what = TextWith(TextId::ActionProgram, {ShownCommand(StartFor(record.program, record.args, expand))});
    } else {
      continue;
    }
    const std::wstring name = key.name.empty() ? TextWith(TextId::ActionKey, {FormatInt(key.keyCode)}) : key.name;
    actions.push_back({slot, name + L": " + what});
  }
  return actions;
}

std::wstring ShownCommand(const ProgramStart& start) {
  const std::wstring_view file = FileNameOf(start.file);
  const std::wstring_view folder = std::wstring_view(start.file).substr(0, start.file.size() - file.size());
  std::wstring shown = CutInTheMiddle(folder, kMaxShownFolderChars) + std::wstring(file);
  bool blank = true;  // no blank at the start of the arguments
  std::wstring args;
  for (const wchar_t c : start.parameters) {
    const bool isBlank = c == L' ' || c == L'\t';
    if (!isBlank || !blank) args += isBlank ? L' ' : c;
    blank = isBlank;
  }
  while (!args.empty() && args.back() == L' ') args.pop_back();
  if (!args.empty()) shown += L' ' + args;
  return shown;
}

std::wstring ImportedActionsQuestion(const std::wstring& fileName, const std::vector<ImportedAction>& actions) {
  std::wstring text = TextWith(TextId::ImportedActionsStart, {fileName});
  for (size_t i = 0; i < actions.size() && i < kMaxListedActions; ++i) text += L"\n" + actions[i].shown;
  if (actions.size() > kMaxListedActions) {
    text += TextWith(TextId::ImportedActionsMore, {FormatInt(static_cast<int>(actions.size() - kMaxListedActions))});
  }
  text += Text(TextId::ImportedActionsQuestion);
  return text;
}

}  // namespace orvelle

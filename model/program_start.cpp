#include "model/program_start.h"

#include <algorithm>

#include "base/text.h"
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
  return L"Не удалось запустить «" + path + L"». Возможно, файл или папка удалены, перемещены или недоступны.";
}

std::vector<ProgramKey> ProgramKeys(const ProfileData& data) {
  std::vector<ProgramKey> keys;
  for (int slot = 0; slot < kKeySlotCount; ++slot) {
    const KeyAssignment& record = data.records[static_cast<size_t>(slot)];
    if (record.kind != AssignKind::Program || !HasAction(record)) continue;
    keys.push_back({slot, record.args.empty() ? record.program : record.program + L' ' + record.args});
  }
  return keys;
}

std::wstring ImportedProgramsQuestion(const std::wstring& fileName, const std::vector<ProgramKey>& keys) {
  std::vector<std::wstring> programs;
  for (const ProgramKey& key : keys) {
    if (std::find(programs.begin(), programs.end(), key.commandLine) == programs.end())
      programs.push_back(key.commandLine);
  }
  std::wstring text = L"Профиль из файла «" + fileName + L"» назначает клавишам запуск программ:\n";
  for (size_t i = 0; i < programs.size() && i < kMaxListedPrograms; ++i) {
    const std::wstring& program = programs[i];
    text += L"\n";
    text += Excerpt(program, kMaxListedChars);
  }
  if (programs.size() > kMaxListedPrograms) {
    text += L"\n… и ещё " + FormatInt(static_cast<int>(programs.size() - kMaxListedPrograms));
  }
  text += L"\n\nОставить эти назначения? При отмене эти клавиши вернутся к своим обычным функциям.";
  return text;
}

}  // namespace orvelle

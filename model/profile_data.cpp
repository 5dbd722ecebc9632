#include "model/profile_data.h"

#include <algorithm>
#include <cstdint>

#include "base/text.h"

namespace orvelle {

const std::array<CommandRow, 13> kCommandTable = {{
    {L"Открыть", {17, 79}, 2},
    {L"Новый", {17, 78}, 2},
    {L"Отмена", {17, 90}, 2},
    {L"Сохранить", {17, 83}, 2},
    {L"Копировать", {17, 67}, 2},
    {L"Вырезать", {17, 88}, 2},
    {L"Вставить", {17, 86}, 2},
    {L"Поиск", {17, 70}, 2},
    {L"Выделить все", {17, 65}, 2},
    {L"Масштаб +", {17, 107}, 2},
    {L"Масштаб -", {17, 109}, 2},
    {L"Свернуть", {18, 32, 78}, 3},
    {L"Развернуть ", {18, 32, 88}, 3},
}};

const std::array<std::wstring_view, 7> kMediaTable = {
    L"Воспр./Пауза", L"Пред. трек", L"След. трек", L"WWW Обновить",
    L"WWW Стоп",     L"WWW Назад",  L"WWW Вперед",
};

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

// How many UTF-16 code units `c` takes: a wide character outside the Basic Multilingual Plane
// (where wchar_t holds one) is a surrogate pair.
size_t Utf16Units(wchar_t c) {
  const uint32_t value = static_cast<uint32_t>(c);
  return value > 0xFFFF ? 2 : 1;
}


std::wstring WithoutControls(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (!IsControl(c)) out += c;
  }
  return out;
}

std::wstring_view TrimmedBlanks(std::wstring_view text) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  return text;
}

// The last name of a path: the file, or the folder of a path ending in a slash.
// A path as a user may paste it, "C:\dir\app.exe" in quotes included: the quotes are no part of
// its name.
std::wstring_view LastName(std::wstring_view path) {
  while (!path.empty() && (path.back() == L'"' || path.back() == L' ')) path.remove_suffix(1);
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
  return FileNameOf(path);
}

// The longest display name kept for a program's file name, so that SetName stays well inside the
// 259 characters a name is read back with.
constexpr size_t kProgramNameChars = 64;

}  // namespace

std::wstring CutToUnits(std::wstring text, size_t limit) {
  size_t units = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t need =
        IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : Utf16Units(text[i]);
    if (units + need > limit) {
      text.resize(i);
      break;
    }
    units += need;
    if (need == 2 && Utf16Units(text[i]) == 1) ++i;  // the pair's second half
  }
  return text;
}

std::wstring CutInTheMiddle(std::wstring_view text, size_t limit) {
  if (text.size() <= limit) return std::wstring(text);
  size_t head = limit / 2;
  if (head > 0 && IsHighSurrogate(text[head - 1])) --head;
  size_t tail = text.size() - (limit - limit / 2);
  if (tail < text.size() && IsLowSurrogate(text[tail])) ++tail;
  return std::wstring(text.substr(0, head)) + L"…" + std::wstring(text.substr(tail));
}

std::wstring Excerpt(std::wstring_view text, size_t limit) {
  std::wstring cut = CutToUnits(std::wstring(text.substr(0, limit + 1)), limit);
  if (cut.size() < text.size()) cut += L'…';
  return cut;
}

std::wstring CleanText(std::wstring_view text) {
  std::wstring out;
  out.reserve(std::min(text.size(), kMaxTextChars + 1));
  for (size_t i = 0; i < text.size() && out.size() <= kMaxTextChars; ++i) {
    const wchar_t c = text[i];
    if (c == L'\r') {
      out += L'\n';
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else if (c == L'\n' || c == L'\t' || !IsControl(c)) {
      out += c;
    }
  }
  return CutToUnits(std::move(out), kMaxTextChars);
}

std::wstring CleanProgramPath(std::wstring_view path) {
  return CutToUnits(std::wstring(TrimmedBlanks(WithoutControls(path))), kMaxProgramChars);
}

std::wstring CleanProgramArgs(std::wstring_view args) { return CutToUnits(WithoutControls(args), kMaxProgramChars); }

namespace {

constexpr std::array<std::wstring_view, 6> kProfileTargetValues = {L"", L"1", L"2", L"3", L"next", L"pause"};
constexpr std::array<std::wstring_view, 8> kMouseActionValues = {L"",   L"left", L"right",   L"middle",
                                                                 L"x1", L"x2",   L"wheelup", L"wheeldown"};

template <size_t N>
size_t IndexOf(const std::array<std::wstring_view, N>& values, std::wstring_view value) {
  for (size_t i = 1; i < N; ++i) {
    if (values[i] == value) return i;
  }
  return 0;
}

}  // namespace

ProfileTarget ProfileTargetOf(std::wstring_view value) {
  return static_cast<ProfileTarget>(IndexOf(kProfileTargetValues, value));
}
std::wstring_view ProfileTargetValue(ProfileTarget target) {
  const auto index = static_cast<size_t>(target);
  return index < kProfileTargetValues.size() ? kProfileTargetValues[index] : std::wstring_view();
}
MouseAction MouseActionOf(std::wstring_view value) {
  return static_cast<MouseAction>(IndexOf(kMouseActionValues, value));
}
std::wstring_view MouseActionValue(MouseAction action) {
  const auto index = static_cast<size_t>(action);
  return index < kMouseActionValues.size() ? kMouseActionValues[index] : std::wstring_view();
}

std::optional<KeyAssignment> ActionRecord(AssignKind kind, std::wstring_view text, std::wstring_view program,
                                          std::wstring_view args) {
  KeyAssignment record{std::wstring(), kind, 0, false};
  if (kind == AssignKind::Text) record.text = CleanText(text);
  if (kind == AssignKind::Program) {
    record.program = CleanProgramPath(program);
    record.args = CleanProgramArgs(args);
  }
  if (!HasAction(record)) return std::nullopt;
  record.name = DisplayNameOf(record);
  return record;
}

std::optional<KeyAssignment> ProfileKeyRecord(ProfileTarget target) {
  KeyAssignment record{std::wstring(), AssignKind::Profile, 0, false};
  record.profileTarget = target;
  if (!HasAction(record)) return std::nullopt;
  record.name = DisplayNameOf(record);
  return record;
}

std::optional<KeyAssignment> MouseKeyRecord(MouseAction action) {
  KeyAssignment record{std::wstring(), AssignKind::Mouse, 0, false};
  record.mouse = action;
  if (!HasAction(record)) return std::nullopt;
  record.name = DisplayNameOf(record);
  return record;
}

bool HasAction(const KeyAssignment& assignment) {
  switch (assignment.kind) {
    case AssignKind::Disabled:
      return true;
    case AssignKind::Text:
      return !assignment.text.empty();
    case AssignKind::Program:
      return !assignment.program.empty();
    case AssignKind::Profile:
      return assignment.profileTarget != ProfileTarget::None;
    case AssignKind::Mouse:
      return assignment.mouse != MouseAction::None;
    default:
      return false;
  }
}

std::wstring DisplayNameOf(const KeyAssignment& assignment) {
  std::wstring name;
  switch (assignment.kind) {
    case AssignKind::Disabled:
      return L"Disabled";
    case AssignKind::Text:
      name = L"Text: " + Excerpt(assignment.text, kTextExcerptChars);
      break;
    case AssignKind::Program:
      name = L"Program: " + Excerpt(LastName(assignment.program), kProgramNameChars);
      break;
    case AssignKind::Profile:
      if (assignment.profileTarget == ProfileTarget::None) return {};
      return L"Profile: " + std::wstring(ProfileTargetValue(assignment.profileTarget));
    case AssignKind::Mouse:
      if (assignment.mouse == MouseAction::None) return {};
      return L"Mouse: " + std::wstring(MouseActionValue(assignment.mouse));
    default:
      return {};
  }
  // A name is one line, and blanks at its end would not survive the profile file.
  for (wchar_t& c : name) {
    if (IsControl(c)) c = L' ';
  }
  while (!name.empty() && name.back() == L' ') name.pop_back();
  return name;
}

KeyMap IdentityKeyMap() {
  KeyMap map;
  for (int code = 1; code <= kMaxKeyCode; ++code) map.emplace_hint(map.end(), code, OutputSequence{code});
  return map;
}

void SetDefaultAssignments(const KeyTable& table, ProfileData& data) {
  for (int code = 1; code <= kMaxKeyCode; ++code) data.keyMap[code] = OutputSequence{code};
  data.assignedSlots.clear();
  for (size_t i = 0; i < data.records.size(); ++i) data.records[i] = KeyAssignment{table.slots[i].name, AssignKind::SingleKey, 0, false};
  data.macros = MacroTable{};
}

void RestoreSlotDefault(const KeyTable& table, int index, ProfileData& data) {
  if (index < 0 || index >= kKeySlotCount) return;
  const KeySlot& slot = table.slots[static_cast<size_t>(index)];
  data.records[static_cast<size_t>(index)] = KeyAssignment{slot.name, AssignKind::SingleKey, 0, false};
  std::erase(data.assignedSlots, index);
  if (IsSendableKeyCode(slot.keyCode)) data.keyMap[slot.keyCode] = OutputSequence{slot.keyCode};
}

const KeyAssignment* DecidingRecord(const ProfileData& data, const KeyTable& table, int code) {
  for (int entry = kKeySlotCount; entry >= 1; --entry) {
    if (table.Entry(entry).keyCode == code) return &data.records[static_cast<size_t>(entry - 1)];
  }
  return nullptr;
}

std::bitset<kMaxKeyCode + 1> HeldKeyCodes(const ProfileData& data, const KeyTable& table) {
  std::bitset<kMaxKeyCode + 1> held;
  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    const int code = table.Entry(entry).keyCode;
    if (IsSendableKeyCode(code)) held[static_cast<size_t>(code)] = data.records[static_cast<size_t>(entry - 1)].hold;
  }
  return held;
}

OutputSequence DownStepKeyCodes(const MacroSteps& steps) {
  OutputSequence keys;
  for (const MacroStep& step : steps) {
    if (step.down()) keys.push_back(step.keyCode);
  }
  return keys;
}

OutputSequence SequenceOrIdentity(int keyCode, OutputSequence sequence) {
  std::erase_if(sequence, [](int code) { return !IsSendableKeyCode(code); });
  if (sequence.empty() && IsSendableKeyCode(keyCode)) sequence.push_back(keyCode);
  return sequence;
}

std::optional<int> FindCommand(std::wstring_view name) {
  for (size_t row = 0; row < kCommandTable.size(); ++row) {
    if (EqualIgnoringTrailingBlanks(kCommandTable[row].displayName, name)) return static_cast<int>(row);
  }
  return std::nullopt;
}

OutputSequence CommandSequence(int row) {
  if (row < 0 || row >= static_cast<int>(kCommandTable.size())) return {};
  return kCommandTable[static_cast<size_t>(row)].Sequence();
}

std::optional<int> FindMedia(const MediaNameMap& media, const std::wstring& name) {
  const auto it = media.find(name);
  if (it == media.end()) return std::nullopt;
  return it->second;
}

void BuildOutputSequence(const KeySlot& slot, const KeyAssignment& assignment, int target,
                         const MediaNameMap& media, ProfileData& data) {
  const int code = slot.keyCode;
  if (!IsSendableKeyCode(code)) return;
  OutputSequence sends;
  switch (assignment.kind) {
    case AssignKind::SingleKey:
      sends = {target};
      break;
    case AssignKind::Macro: {
      const Macro* macro = data.macros.At(assignment.macroIndex);
      if (macro == nullptr) break;
      data.macros.indexMap[code] = assignment.macroIndex;
      sends = DownStepKeyCodes(macro->steps);
      break;
    }
    case AssignKind::Media:
      if (const auto mediaCode = FindMedia(media, assignment.name)) sends = {*mediaCode};
      break;
    case AssignKind::Function:
      if (const auto row = FindCommand(assignment.name)) sends = CommandSequence(*row);
      break;
    case AssignKind::Disabled:
    case AssignKind::Text:
    case AssignKind::Program:
    case AssignKind::Profile:
    case AssignKind::Mouse:
      break;  // the engine acts on the record; the key's own entry is the identity
    default:
      return;
  }
  data.keyMap[code] = SequenceOrIdentity(code, std::move(sends));
}

}  // namespace orvelle

#include "model/profile_data.h"

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

KeyMap IdentityKeyMap() {
  KeyMap map;
  for (int code = 1; code <= kMaxKeyCode; ++code) map.emplace_hint(map.end(), code, OutputSequence{code});
  return map;
}

void SetDefaultAssignments(const KeyTable& table, ProfileData& data) {
  for (int code = 1; code <= kMaxKeyCode; ++code) data.keyMap[code] = OutputSequence{code};
  data.assignedSlots.clear();
  for (size_t i = 0; i < data.records.size(); ++i) data.records[i] = KeyAssignment{table.slots[i].name, 0, 0, false};
  data.macroIndexMap.clear();
  data.macroNames.clear();
  data.macroSteps.clear();
  data.macroDelays.clear();
  data.macroLoops.clear();
}

void FitMacroTiming(std::vector<MacroDelays>& delays, std::vector<int>& loops, size_t macroCount) {
  delays.resize(macroCount);
  loops.resize(macroCount, 1);
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
  for (size_t i = 0; i + 2 < steps.size(); i += 3) {
    if (steps[i + 2] == 1) keys.push_back(steps[i + 1]);
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
    case static_cast<int>(AssignKind::SingleKey):
      sends = {target};
      break;
    case static_cast<int>(AssignKind::Macro): {
      const int index = assignment.macroIndex;
      if (index < 0 || index >= static_cast<int>(data.macroSteps.size())) break;
      data.macroIndexMap[code] = index;
      sends = DownStepKeyCodes(data.macroSteps[static_cast<size_t>(index)]);
      break;
    }
    case static_cast<int>(AssignKind::Media):
      if (const auto mediaCode = FindMedia(media, assignment.name)) sends = {*mediaCode};
      break;
    case static_cast<int>(AssignKind::Function):
      if (const auto row = FindCommand(assignment.name)) sends = CommandSequence(*row);
      break;
    default:
      return;
  }
  data.keyMap[code] = SequenceOrIdentity(code, std::move(sends));
}

}  // namespace orvelle

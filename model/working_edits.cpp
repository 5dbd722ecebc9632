#include "model/working_edits.h"

#include <algorithm>

#include "model/profile_ops.h"

namespace orvelle {
namespace {

// Position in the assigned-slot list of the first element whose key slot has key code `code`.
std::vector<int>::iterator FindAssignedByCode(ProfileData& working, const KeyTable& table, int code) {
  return std::find_if(working.assignedSlots.begin(), working.assignedSlots.end(), [&](int index) {
    return index >= 0 && index < kKeySlotCount && table.slots[static_cast<size_t>(index)].keyCode == code;
  });
}

int TurboOf(const AssignEdit& edit) {
  return TakesTurbo(edit.kind) && IsTurboPeriod(edit.turboMs) ? edit.turboMs : 0;
}

// Profile `data` gets the action `record` on slot `index` with key code `code`: listed, the
// identity as its entry, no macro played. Its macros themselves stay.
void PutActionRecord(ProfileData& data, int index, int code, const KeyAssignment& record) {
  if (std::find(data.assignedSlots.begin(), data.assignedSlots.end(), index) == data.assignedSlots.end()) {
    data.assignedSlots.push_back(index);
  }
  data.records[static_cast<size_t>(index)] = record;
  data.macros.indexMap.erase(code);
  if (IsSendableKeyCode(code)) data.keyMap[code] = OutputSequence{code};
}

// An action edit (Disabled, Text, Program, Profile, Mouse): the key acts on its record, with the
// identity as its KeyMap entry; whatever macro it played, it plays no more. The dialog's OK
// cleaned the values already.
void CommitActionEdit(ProfileSet& set, const KeyTable& table, int entry, const AssignEdit& edit) {
  ProfileData& working = set.working;
  const int index = entry - 1;
  const int code = table.Entry(entry).keyCode;
  KeyAssignment record{std::wstring(), edit.kind, 0, false};
  if (edit.kind == AssignKind::Text) record.text = edit.text;
  if (edit.kind == AssignKind::Program) {
    record.program = edit.program;
    record.args = edit.args;
  }
  if (edit.kind == AssignKind::Profile) record.profileTarget = edit.profileTarget;
  if (edit.kind == AssignKind::Mouse) record.mouse = edit.mouse;
  record.turboMs = TurboOf(edit);
  if (HasAction(record)) {
    record.name = DisplayNameOf(record);
    if (std::find(working.assignedSlots.begin(), working.assignedSlots.end(), index) == working.assignedSlots.end()) {
      working.assignedSlots.push_back(index);
    }
    working.records[static_cast<size_t>(index)] = std::move(record);
  } else {
    RestoreSlotDefault(table, index, working);  // nothing to type or to start: the key sends itself
  }
  set.pending = true;
  AssignEdit settled = edit;
  settled.macros.indexMap.erase(code);
  ResyncMacros(set, table, settled, ResyncMode::SlotEdit);
  working.macros = std::move(settled.macros);
  if (IsSendableKeyCode(code)) working.keyMap[code] = OutputSequence{code};
  ApplyWorkingCopy(set);
  if (edit.kind == AssignKind::Profile && edit.allProfiles && HasAction(record)) {
    const KeyAssignment& kept = working.records[static_cast<size_t>(index)];
    for (int n = 1; n <= 3; ++n) {
      if (n != set.activeProfile) PutActionRecord(set.Profile(n), index, code, kept);
    }
  }
}

bool InEveryProfile(const ProfileSet& set, int index, const KeyAssignment& record) {
  for (int n = 1; n <= 3; ++n) {
    if (n == set.activeProfile) continue;
    const KeyAssignment& there = set.Profile(n).records[static_cast<size_t>(index)];
    if (there.kind != record.kind || there.profileTarget != record.profileTarget) return false;
  }
  return true;
}

}  // namespace

void PrepareSlotEdit(const ProfileSet& set, const KeyTable& table, int entry, AssignEdit& edit) {
  edit.target = EditTarget::KeySlot;
  const KeyAssignment& record = set.working.records[static_cast<size_t>(entry - 1)];
  edit.displayName = record.name;
  edit.kind = record.kind;
  edit.macroIndex = record.macroIndex;
  edit.hold = record.hold;
  edit.text = record.text;
  edit.program = record.program;
  edit.args = record.args;
  edit.profileTarget = record.profileTarget;
  edit.mouse = record.mouse;
  edit.turboMs = record.turboMs;
  // A profile key opens with the all-profiles box as the profiles have it: on only while every
  // profile holds the same key, so that OK does not spread one the user kept in a single profile.
  edit.allProfiles = record.kind == AssignKind::Profile && InEveryProfile(set, entry - 1, record);
  edit.keyCode = table.Entry(entry).keyCode;
  edit.sends.reset();
  edit.macros = set.working.macros;
  edit.capturedKeyCode = CurrentTarget(set.working, edit);
}

int CurrentTarget(const ProfileData& working, const AssignEdit& edit) {
  const auto current = working.keyMap.find(edit.keyCode);
  const bool singleTarget = edit.kind == AssignKind::SingleKey && current != working.keyMap.end() &&
                            current->second.size() == 1;
  return singleTarget ? current->second.front() : edit.keyCode;
}

void PrepareMacroEdit(const ProfileSet& set, AssignEdit& edit) {
  edit.target = EditTarget::MacroTable;
  edit.kind = AssignKind::Macro;
  edit.macroIndex = 0;
  edit.hold = false;
  edit.text.clear();
  edit.program.clear();
  edit.args.clear();
  edit.profileTarget = ProfileTarget::None;
  edit.mouse = MouseAction::None;
  edit.turboMs = 0;
  edit.allProfiles = false;
  edit.macros = set.working.macros;
}

void RemoveMacro(AssignEdit& edit, int index) {
  MacroTable& table = edit.macros;
  if (!table.Holds(index)) return;
  table.list.erase(table.list.begin() + static_cast<std::ptrdiff_t>(index));
  for (auto it = table.indexMap.begin(); it != table.indexMap.end();) {
    if (it->second == index) {
      it = table.indexMap.erase(it);
      continue;
    }
    if (it->second > index) --it->second;
    ++it;
  }
}

void SettleKeyEntry(KeyMap& keyMap, AssignEdit& edit) {
  if (edit.target == EditTarget::MacroTable) return;  // no key is edited
  const int key = edit.keyCode;
  const auto entry = keyMap.find(key);
  const bool hasEntry = entry != keyMap.end();
  switch (edit.kind) {
    case AssignKind::SingleKey:
    case AssignKind::Media:
    case AssignKind::Function:
      if (edit.sends && hasEntry) {
        entry->second = SequenceOrIdentity(key, *edit.sends);
        edit.macros.indexMap.erase(key);
      }
      break;
    case AssignKind::Macro: {
      const std::optional<int> plays = edit.macros.PlayedBy(key);
      if (!plays) {
        // No macro chosen: the key goes back to sending itself, unassigned.
        if (hasEntry) entry->second = OutputSequence{key};
        edit.kind = AssignKind::SingleKey;
        edit.macroIndex = 0;
        edit.displayName.clear();
        edit.hold = false;
        break;
      }
      if (hasEntry) {
        entry->second = SequenceOrIdentity(key, DownStepKeyCodes(edit.macros.At(*plays)->steps));
      }
      break;
    }
    case AssignKind::Disabled:
    case AssignKind::Text:
    case AssignKind::Program:
    case AssignKind::Profile:
    case AssignKind::Mouse:
      // The engine acts on the key's record; its own entry sends the key itself.
      edit.macros.indexMap.erase(key);
      if (hasEntry) entry->second = SequenceOrIdentity(key, OutputSequence{key});
      break;
    default:
      break;
  }
}

void CommitSlotEdit(ProfileSet& set, const KeyTable& table, int entry, const AssignEdit& dialogEdit) {
  AssignEdit edit = dialogEdit;
  SettleKeyEntry(set.working.keyMap, edit);
  if (IsActionKind(edit.kind)) {
    CommitActionEdit(set, table, entry, edit);
    return;
  }
  ProfileData& working = set.working;
  const int index = entry - 1;
  const std::wstring& own = table.Entry(entry).name;
  const auto listed = std::find(working.assignedSlots.begin(), working.assignedSlots.end(), index);
  std::wstring name;
  bool hold = false;  // a key that sends itself has nothing of its own to hold
  if (edit.displayName.empty() || edit.displayName == own) {
    if (listed != working.assignedSlots.end()) working.assignedSlots.erase(listed);
    name = own;
  } else {
    if (listed == working.assignedSlots.end()) working.assignedSlots.push_back(index);
    name = edit.displayName;
    hold = edit.hold;
  }
  KeyAssignment record{name, edit.kind, edit.macroIndex, hold};
  record.turboMs = TurboOf(edit);
  if (record.turboMs != 0) record.hold = false;  // turbo and hold exclude each other
  working.records[static_cast<size_t>(index)] = std::move(record);
  set.pending = true;
  ResyncMacros(set, table, edit, ResyncMode::SlotEdit);
  working.macros = edit.macros;
  ApplyWorkingCopy(set);
}

void CommitMacroEdit(ProfileSet& set, const KeyTable& table, const AssignEdit& edit) {
  set.pending = true;
  ResyncMacros(set, table, edit, ResyncMode::MacroEdit);
  set.working.macros = edit.macros;
}

void ResyncMacros(ProfileSet& set, const KeyTable& table, const AssignEdit& edit, ResyncMode mode) {
  ProfileData& working = set.working;
  for (const auto& [code, oldIndex] : working.macros.indexMap) {
    if (const std::optional<int> now = edit.macros.PlayedBy(code)) {
      const Macro& macro = *edit.macros.At(*now);
      working.keyMap[code] = SequenceOrIdentity(code, DownStepKeyCodes(macro.steps));
      const auto element = FindAssignedByCode(working, table, code);
      if (element != working.assignedSlots.end()) {
        KeyAssignment& record = working.records[static_cast<size_t>(*element)];
        record.macroIndex = *now;
        record.name = macro.name;
      }
      continue;
    }
    // The key no longer plays a macro (or names one the table does not hold): it goes back to
    // its default assignment.
    const auto element = FindAssignedByCode(working, table, code);
    if (mode == ResyncMode::SlotEdit) {
      if (element != working.assignedSlots.end() &&
          working.records[static_cast<size_t>(*element)].kind == AssignKind::Macro) {
        RestoreSlotDefault(table, *element, working);
      }
    } else {
      working.keyMap[code] = OutputSequence{code};
      if (element != working.assignedSlots.end()) RestoreSlotDefault(table, *element, working);
    }
  }
}

}  // namespace orvelle

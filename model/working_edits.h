#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/key_table.h"
#include "model/profile_set.h"

namespace orvelle {

// The assignment dialog's editing state as the main window hands it over and takes it back:
// copies of one slot's assignment and of the whole macro table.
struct AssignEdit {
  int keyCode = 0;
  int kind = 0;  // an AssignKind while a slot is edited, kMacroOnlyKind for the macro table alone
  int macroIndex = 0;
  bool hold = false;  // the edited key's; unused for the macro table alone
  std::wstring displayName;
  // A Text key's text, a Program key's program and arguments; empty for the other kinds.
  std::wstring text, program, args;
  std::vector<MacroSteps> macroSteps;
  std::vector<std::wstring> macroNames;
  std::vector<MacroDelays> macroDelays;  // parallel to macroSteps
  std::vector<int> macroLoops;           // parallel to macroSteps
  std::map<int, int> macroIndexMap;
};

// The dialog's own kind for the macro table alone, never stored; far from the stored kinds.
inline constexpr int kMacroOnlyKind = 100;

enum class ResyncMode { SlotEdit, MacroEdit };

// Macro `index` out of the dialog's table: its name, steps, waits and loop count go, the keys that
// play it lose their entry in the macro-index map, and every entry that names a later macro moves
// down one, so that each still names the macro it named before. An index outside the table
// changes nothing.
void RemoveMacro(AssignEdit& edit, int index);

// Before the dialog opens for key slot `entry` (1..104).
void PrepareSlotEdit(const ProfileSet& set, const KeyTable& table, int entry, AssignEdit& edit);
// The key code a single-key edit starts with, so that OK without a new key press keeps what the
// key sends now: its single target, or the key itself.
int CurrentTarget(const ProfileData& working, const AssignEdit& edit);
// After that dialog returned OK: the record, the assigned-slot list and the macro table folded
// back into the working copy, which is then applied. A slot back at its default is not held.
// A Disabled, Text or Program edit joins the assigned-slot list under the name DisplayNameOf
// gives it (the edit's display name is not used), stops playing a macro, keeps the identity as its
// KeyMap entry and is not held; its text, path and arguments are cleaned and cut to their
// limits. A Text edit without a text or a Program edit without a path puts the slot back to its
// default. Every other kind keeps no text, path or arguments.
void CommitSlotEdit(ProfileSet& set, const KeyTable& table, int entry, const AssignEdit& edit);
// Before the dialog opens from "Macro..".
void PrepareMacroEdit(const ProfileSet& set, AssignEdit& edit);
// After that dialog returned OK; the change stays unapplied.
void CommitMacroEdit(ProfileSet& set, const KeyTable& table, const AssignEdit& edit);
// Brings every key that played a macro before the dialog opened up to date with the dialog's table.
void ResyncMacros(ProfileSet& set, const KeyTable& table, const AssignEdit& edit, ResyncMode mode);

}  // namespace orvelle

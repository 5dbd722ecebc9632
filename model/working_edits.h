#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/key_table.h"
#include "model/profile_set.h"

namespace orvelle {

// What the assignment dialog edits: one key slot, or the macro table alone ("Macro..").
enum class EditTarget { KeySlot, MacroTable };

// The assignment dialog's editing state as the main window hands it over and takes it back:
// copies of one slot's assignment and of the whole macro table.
struct AssignEdit {
  EditTarget target = EditTarget::KeySlot;
  int keyCode = 0;  // the edited key's; unused for the macro table alone
  AssignKind kind = AssignKind::SingleKey;  // Macro for the macro table alone
  int macroIndex = 0;
  bool hold = false;  // the edited key's; unused for the macro table alone
  std::wstring displayName;
  // A Text key's text, a Program key's program and arguments; empty for the other kinds.
  std::wstring text, program, args;
  // A Profile key's target and a Mouse key's action; None for the other kinds.
  ProfileTarget profileTarget = ProfileTarget::None;
  MouseAction mouse = MouseAction::None;
  // The turbo period in milliseconds, 0 when off; kept only for the kinds that TakesTurbo.
  int turboMs = 0;
  // A Profile edit goes into all three profiles, so that a key always switches back.
  bool allProfiles = false;
  MacroTable macros;  // a copy of the whole table
  // What a single-key edit sends: the key's current single target as the dialog opens, then the
  // last key pressed in it.
  int capturedKeyCode = 0;
  // What OK chose for a single-key, multimedia or function edit to send, before the rule that a
  // key never sends nothing; none when the chosen multimedia name has no key code here, and the
  // key's entry then stays as it is.
  std::optional<OutputSequence> sends;
};

enum class ResyncMode { SlotEdit, MacroEdit };

// Macro `index` out of the dialog's table: its name, steps, waits and loop count go, the keys that
// play it lose their entry in the macro-index map, and every entry that names a later macro moves
// down one, so that each still names the macro it named before. An index outside the table
// changes nothing.
void RemoveMacro(AssignEdit& edit, int index);

// The edited key's KeyMap entry and macro-index map entry as the edit's kind wants them, by the
// rule that a key sends itself rather than nothing (SequenceOrIdentity). A single-key, multimedia
// or function edit with something to send stops playing its macro; a macro edit whose key plays
// no macro of the table falls back to a single key sending itself, unassigned; a Disabled, Text or
// Program edit keeps the identity and plays no macro. Only keys that have an entry get one.
void SettleKeyEntry(KeyMap& keyMap, AssignEdit& edit);

// Before the dialog opens for key slot `entry` (1..104). The captured key is the key's current
// single target (CurrentTarget).
void PrepareSlotEdit(const ProfileSet& set, const KeyTable& table, int entry, AssignEdit& edit);
// The key code a single-key edit starts with, so that OK without a new key press keeps what the
// key sends now: its single target, or the key itself.
int CurrentTarget(const ProfileData& working, const AssignEdit& edit);
// After that dialog returned OK: the key's entry settled (SettleKeyEntry), the record, the assigned-slot list and the macro table folded
// back into the working copy, which is then applied. A slot back at its default is not held.
// A Disabled, Text or Program edit joins the assigned-slot list under the name DisplayNameOf
// gives it (the edit's display name is not used), stops playing a macro, keeps the identity as its
// KeyMap entry and is not held; it keeps the text, path and arguments of its kind as the dialog's
// OK cleaned them. A Text edit without a text or a Program edit without a path puts the slot back to its
// default. Every other kind keeps no text, path or arguments. A Profile or Mouse edit keeps its
// target or action (none puts the slot back to its default); a Profile edit with allProfiles
// puts the same record into the other two profiles as well. A turbo period in range is kept for
// the kinds that take it, and the key is then not held.
void CommitSlotEdit(ProfileSet& set, const KeyTable& table, int entry, const AssignEdit& edit);
// Before the dialog opens from "Macro..".
void PrepareMacroEdit(const ProfileSet& set, AssignEdit& edit);
// After that dialog returned OK; the change stays unapplied.
void CommitMacroEdit(ProfileSet& set, const KeyTable& table, const AssignEdit& edit);
// Brings every key that played a macro before the dialog opened up to date with the dialog's table.
void ResyncMacros(ProfileSet& set, const KeyTable& table, const AssignEdit& edit, ResyncMode mode);

}  // namespace orvelle

#pragma once

#include <array>
#include <bitset>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/key_table.h"

namespace orvelle {

enum class AssignKind : int { SingleKey = 0, Macro = 1, Media = 2, Function = 3, Disabled = 4, Text = 5, Program = 6 };
// The number a kind is stored as. Records keep kinds as numbers (a file may hold others), and
// compare them by these names, never by bare numbers.
constexpr int KindNumber(AssignKind kind) { return static_cast<int>(kind); }

struct KeyAssignment {
  std::wstring name;
  int kind = 0;  // an AssignKind value; files may hold others
  int macroIndex = 0;
  // The key acts while it is held: what it sends starts at its press and ends at its release,
  // instead of being played whole at the release. Meaningful for every kind that sends something.
  bool hold = false;
  // What a Text key types, and what a Program key starts with its arguments; empty for every other
  // kind. Line breaks in `text` are L'\n'.
  std::wstring text{};
  std::wstring program{};
  std::wstring args{};
  bool operator==(const KeyAssignment&) const = default;
};

// The longest text a Text key types and the longest program path and argument string a Program
// key keeps, in UTF-16 code units (a character outside the Basic Multilingual Plane counts two). A
// longer value is cut when it is read or committed, never inside a surrogate pair.
inline constexpr size_t kMaxTextChars = 1000;
inline constexpr size_t kMaxProgramChars = 2048;

// A kind whose key acts without a KeyMap entry of its own: its entry stays the identity and the
// engine decides by the record's kind.
constexpr bool IsActionKind(int kind) {
  return kind == KindNumber(AssignKind::Disabled) || kind == KindNumber(AssignKind::Text) ||
         kind == KindNumber(AssignKind::Program);
}

// A text as a Text key keeps it: a CR LF pair or a lone CR becomes one line break, every control
// character but line break and tab goes, and the rest is cut to kMaxTextChars.
std::wstring CleanText(std::wstring_view text);
// A program path or argument string as a Program key keeps it: control characters go, and the
// rest is cut to kMaxProgramChars. A path also loses surrounding blanks.
std::wstring CleanProgramPath(std::wstring_view path);
std::wstring CleanProgramArgs(std::wstring_view args);

// `text` cut to at most `limit` UTF-16 units, never inside a surrogate pair, with "…" when
// something was cut.
std::wstring Excerpt(std::wstring_view text, size_t limit);

// The display name (SetName) of a Disabled, Text or Program assignment, which is what the main
// window's tooltip shows: "Disabled", "Text: " and the text's first kTextExcerptChars characters
// (line breaks and tabs as blanks, "…" when there is more), "Program: " and the target's file or
// folder name. Empty for the other kinds, whose names come from the dialog.
inline constexpr size_t kTextExcerptChars = 11;
std::wstring DisplayNameOf(const KeyAssignment& assignment);

// A record of an action kind that has what it acts on: Disabled always, Text with a text, Program
// with a program. A Text or Program record without it (a hand-edited file) leaves the key sending
// itself, as a record of a kind the program does not know does.
bool HasAction(const KeyAssignment& assignment);

// The record a Disabled, Text or Program choice of the assignment dialog makes, its values cleaned
// as the file keeps them and its display name set; nothing when it has nothing to act on (an empty
// text or path), and the key then sends itself again.
std::optional<KeyAssignment> ActionRecord(int kind, std::wstring_view text, std::wstring_view program,
                                          std::wstring_view args);

using OutputSequence = std::vector<int>;
// Key code -> what the key sends. A key without an entry, or mapped to exactly itself, passes.
using KeyMap = std::map<int, OutputSequence>;
// Flat (key-name parameter, key code, direction) triples; direction 1 = down, 0 = up.
using MacroSteps = std::vector<int>;

// The longest macro kept, in steps (3,072 integers). A stored macro longer than this is cut to its
// first kMaxMacroSteps steps when it is read, and recording stops there too, so that no file or
// output sequence grows without bound.
inline constexpr int kMaxMacroSteps = 1024;

// The whole steps of a macro; an incomplete triple at the end of a hand-edited list is no step.
inline size_t StepCount(const MacroSteps& steps) { return steps.size() / 3; }

// A timed macro's waits, one per step: the milliseconds since the step before it (the first
// step's is the wait after the macro starts). Empty for an untimed macro, whose steps follow one
// another at once.
using MacroDelays = std::vector<int>;
// The longest wait before a step. A recorded pause longer than this is kept as this long, so that a
// key left down while the user looked away does not stall the macro for minutes.
inline constexpr int kMaxStepDelayMs = 60000;
// How many times a macro plays in a row at most; 1 is once.
inline constexpr int kMaxMacroLoops = 99;

// Pads or cuts the per-macro timing lists to `macroCount` entries. An added entry is an untimed
// macro played once, so tables built before the lists existed stay as they played.
void FitMacroTiming(std::vector<MacroDelays>& delays, std::vector<int>& loops, size_t macroCount);

// What key `keyCode` sends: `sequence` without the codes outside 1..254, or the key itself when
// nothing is left. A key is never left sending code 0 or nothing at all because of a damaged or
// partial file; it keeps working as itself instead. For a `keyCode` outside 1..254 (no real key)
// the result is empty.
OutputSequence SequenceOrIdentity(int keyCode, OutputSequence sequence);

// One complete set of assignments. Copies are always deep: assigning one ProfileData to another
// is the whole copy operation.
struct ProfileData {
  KeyMap keyMap;
  std::vector<int> assignedSlots;     // key-table indexes of slots not at their default
  std::map<int, int> macroIndexMap;   // key code -> macro index, for every Macro slot
  std::vector<std::wstring> macroNames;
  std::vector<MacroSteps> macroSteps;  // same length as macroNames
  // Parallel to macroSteps, always as long: each macro's waits (empty when untimed, else one per
  // whole step, 0..kMaxStepDelayMs) and how many times it plays (1..kMaxMacroLoops).
  std::vector<MacroDelays> macroDelays;
  std::vector<int> macroLoops;
  std::array<KeyAssignment, kEntryCount> records;
  bool operator==(const ProfileData&) const = default;
};

inline void CopyProfileData(const ProfileData& from, ProfileData& to) { to = from; }

// Every key code 1..254 mapped to itself.
KeyMap IdentityKeyMap();

// Every slot back to its default: its own name, kind SingleKey, not held, the identity for key
// codes 1..254 (other entries stay), no macros, nothing in the assigned-slot list. All 132 records
// take the names of their layout entries.
void SetDefaultAssignments(const KeyTable& table, ProfileData& data);

// Key slot `index` (0..120) back to its default: its own name, kind SingleKey, not held, out of
// the assigned-slot list, its key sending itself.
void RestoreSlotDefault(const KeyTable& table, int index, ProfileData& data);

// The real keys (1..254) that are held, by key code, for whoever plays the profile. Where key
// slots share a code the last of them decides, as it does in the profile file.
std::bitset<kMaxKeyCode + 1> HeldKeyCodes(const ProfileData& data, const KeyTable& table);

// The record that decides what key `code` does: of the key slots with that code, the last, as in
// the profile file. Null when no key slot has the code.
const KeyAssignment* DecidingRecord(const ProfileData& data, const KeyTable& table, int code);

// The key codes of the down steps of a macro, in order. An incomplete triple at the end of a
// hand-edited list is ignored.
OutputSequence DownStepKeyCodes(const MacroSteps& steps);

struct CommandRow {
  std::wstring_view displayName;
  std::array<int, 3> keys;
  int keyCount;
  OutputSequence Sequence() const { return OutputSequence(keys.begin(), keys.begin() + keyCount); }
};

// The function commands, in the order the assignment dialog lists them.
extern const std::array<CommandRow, 13> kCommandTable;
// The multimedia display names, in the order the assignment dialog lists them.
extern const std::array<std::wstring_view, 7> kMediaTable;

// Row of the command whose display name equals `name`, blanks at the end of either ignored.
std::optional<int> FindCommand(std::wstring_view name);
OutputSequence CommandSequence(int row);
std::optional<int> FindMedia(const MediaNameMap& media, const std::wstring& name);

// Sets the KeyMap entry (and for macros the macro-index map entry) of a slot whose assignment has
// just been read. `target` is the stored target of a SingleKey slot. Whatever does not resolve (a
// target outside 1..254, an unknown command or media name, a macro index outside the table, a
// macro without a down step) leaves the key sending itself; Disabled, Text and Program keys get
// the identity (the engine acts on their records); a kind outside 0..6 sets nothing, so the key
// passes. A slot whose key code is outside 1..254 is no real key and gets no entry.
void BuildOutputSequence(const KeySlot& slot, const KeyAssignment& assignment, int target,
                         const MediaNameMap& media, ProfileData& data);

}  // namespace orvelle

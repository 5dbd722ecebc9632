#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/key_table.h"

namespace orvelle {

// What an assigned key does. The numbers are the ones the profile file stores. A file may hold a
// number this version does not know: the record keeps it (so the key saves back as it was) and the
// key sends itself.
enum class AssignKind : int {
  SingleKey = 0,
  Macro = 1,
  Media = 2,
  Function = 3,
  Disabled = 4,
  Text = 5,
  Program = 6,
  Profile = 7,
  Mouse = 8
};
constexpr int KindNumber(AssignKind kind) { return static_cast<int>(kind); }
constexpr AssignKind KindOfNumber(int number) { return static_cast<AssignKind>(number); }

// What a Profile key does at its press: makes profile 1, 2 or 3 active, the next one (3 is
// followed by 1), or turns remapping off and on again. None: a value this version does not know.
enum class ProfileTarget : uint8_t { None, One, Two, Three, Next, Pause };
// What a Mouse key does: holds a button down while the key is, or turns the wheel one notch at
// its press and at each auto-repeat. None: a value this version does not know.
enum class MouseAction : uint8_t { None, Left, Right, Middle, X1, X2, WheelUp, WheelDown };
constexpr bool IsWheel(MouseAction action) {
  return action == MouseAction::WheelUp || action == MouseAction::WheelDown;
}

// A turbo key's period: while the key is held its output is tapped once per period. Any other
// stored value is off (0).
inline constexpr int kMinTurboMs = 20;
inline constexpr int kMaxTurboMs = 1000;
constexpr bool IsTurboPeriod(int ms) { return ms >= kMinTurboMs && ms <= kMaxTurboMs; }
// The kinds whose output turbo may tap: a single key, a multimedia key, a command, a mouse key.
constexpr bool TakesTurbo(AssignKind kind) {
  return kind == AssignKind::SingleKey || kind == AssignKind::Media || kind == AssignKind::Function ||
         kind == AssignKind::Mouse;
}

struct KeyAssignment {
  std::wstring name;
  AssignKind kind = AssignKind::SingleKey;
  int macroIndex = 0;
  // The key acts while it is held: what it sends starts at its press and ends at its release,
  // instead of being played whole at the release. Meaningful for every kind that sends something.
  bool hold = false;
  // What a Text key types, and what a Program key starts with its arguments; empty for every other
  // kind. Line breaks in `text` are L'\n'.
  std::wstring text{};
  std::wstring program{};
  std::wstring args{};
  // What a Profile key switches to and what a Mouse key does; None for every other kind.
  ProfileTarget profileTarget = ProfileTarget::None;
  MouseAction mouse = MouseAction::None;
  // The turbo period in milliseconds (kMinTurboMs..kMaxTurboMs), 0 when off. Only the kinds that
  // TakesTurbo have one, and a turbo key is never held as well: turbo wins.
  int turboMs = 0;
  bool operator==(const KeyAssignment&) const = default;
};

// The longest text a Text key types and the longest program path and argument string a Program
// key keeps, in UTF-16 code units (a character outside the Basic Multilingual Plane counts two). A
// longer value is cut when it is read or committed, never inside a surrogate pair.
inline constexpr size_t kMaxTextChars = 1000;
inline constexpr size_t kMaxProgramChars = 2048;
// The longest display name kept (a key's SetName, a macro's name), in UTF-16 code units: as much
// as a name field takes, and as much as the system's profile calls ever read back of one.
inline constexpr size_t kMaxNameChars = 259;

// A kind whose key acts without a KeyMap entry of its own: its entry stays the identity and the
// engine decides by the record's kind.
constexpr bool IsActionKind(AssignKind kind) {
  return kind == AssignKind::Disabled || kind == AssignKind::Text || kind == AssignKind::Program ||
         kind == AssignKind::Profile || kind == AssignKind::Mouse;
}

// The values a Profile and a Mouse key store, and back: "1", "2", "3", "next", "pause" and
// "left", "right", "middle", "x1", "x2", "wheelup", "wheeldown". A value not in the list reads as
// None; None writes as empty.
ProfileTarget ProfileTargetOf(std::wstring_view value);
std::wstring_view ProfileTargetValue(ProfileTarget target);
MouseAction MouseActionOf(std::wstring_view value);
std::wstring_view MouseActionValue(MouseAction action);

// A text as a Text key keeps it: a CR LF pair or a lone CR becomes one line break, every control
// character but line break and tab goes, and the rest is cut to kMaxTextChars.
std::wstring CleanText(std::wstring_view text);
// A program path or argument string as a Program key keeps it: control characters go, and the
// rest is cut to kMaxProgramChars. A path also loses surrounding blanks.
std::wstring CleanProgramPath(std::wstring_view path);
std::wstring CleanProgramArgs(std::wstring_view args);

// `text` cut to at most `limit` UTF-16 units, never inside a surrogate pair, with "…" when
// something was cut.
// The longest start of `text` that takes at most `limit` UTF-16 code units and does not end
// between the halves of a surrogate pair.
std::wstring CutToUnits(std::wstring text, size_t limit);

std::wstring Excerpt(std::wstring_view text, size_t limit);
// `text` with its middle given up for "…" when it is longer than `limit` UTF-16 units: the start
// and the end stay, never cut inside a surrogate pair.
std::wstring CutInTheMiddle(std::wstring_view text, size_t limit);

// The display name (SetName) of a Disabled, Text, Program, Profile or Mouse assignment, which is
// what the main window's tooltip shows: "Disabled", "Text: " and the text's first
// kTextExcerptChars characters (line breaks and tabs as blanks, "…" when there is more),
// "Program: " and the target's file or folder name, "Profile: " and "Mouse: " with the stored
// value. Empty for the other kinds, whose names come from the dialog.
inline constexpr size_t kTextExcerptChars = 11;
std::wstring DisplayNameOf(const KeyAssignment& assignment);

// A record of an action kind that has what it acts on: Disabled always, Text with a text, Program
// with a program, Profile and Mouse with a value this version knows. A record without it (a
// hand-edited file) leaves the key sending itself, as a record of a kind the program does not
// know does.
bool HasAction(const KeyAssignment& assignment);

// The record a Disabled, Text or Program choice of the assignment dialog makes, its values cleaned
// as the file keeps them and its display name set; nothing when it has nothing to act on (an empty
// text or path), and the key then sends itself again.
std::optional<KeyAssignment> ActionRecord(AssignKind kind, std::wstring_view text, std::wstring_view program,
                                          std::wstring_view args);

// The record a Profile or a Mouse choice of the assignment dialog makes, with its display name;
// nothing for None (the key then sends itself again).
std::optional<KeyAssignment> ProfileKeyRecord(ProfileTarget target);
std::optional<KeyAssignment> MouseKeyRecord(MouseAction action);

using OutputSequence = std::vector<int>;
// Key code -> what the key sends. A key without an entry, or mapped to exactly itself, passes.
using KeyMap = std::map<int, OutputSequence>;
// One recorded step of a macro: a key going down or up. `keyNameParam` is the parameter the key's
// name is looked up by (the scan code and flags the recorder saw; an up step's has its top bit
// set). A direction other than 1 is up; it is kept as read, so a file saves back as it was.
struct MacroStep {
  int keyNameParam = 0;
  int keyCode = 0;
  int direction = 0;
  bool down() const { return direction == 1; }
  bool operator==(const MacroStep&) const = default;
};
using MacroSteps = std::vector<MacroStep>;

// The longest macro kept, in steps. A stored macro longer than this is cut to its first
// kMaxMacroSteps steps when it is read, and recording stops there too, so that no file or output
// sequence grows without bound.
inline constexpr int kMaxMacroSteps = 1024;

// A timed macro's waits, one per step: the milliseconds since the step before it (the first
// step's is the wait after the macro starts). Empty for an untimed macro, whose steps follow one
// another at once.
using MacroDelays = std::vector<int>;
// The longest wait before a step. A recorded pause longer than this is kept as this long, so that a
// key left down while the user looked away does not stall the macro for minutes.
inline constexpr int kMaxStepDelayMs = 60000;
// How many times a macro plays in a row at most; 1 is once.
inline constexpr int kMaxMacroLoops = 99;

struct Macro {
  std::wstring name;
  MacroSteps steps;
  MacroDelays delays;  // empty when untimed, else one per step, each 0..kMaxStepDelayMs
  int loops = 1;       // 1..kMaxMacroLoops
  bool operator==(const Macro&) const = default;
};

// A profile's macros and which key plays which of them.
struct MacroTable {
  std::vector<Macro> list;
  std::map<int, int> indexMap;  // key code -> macro index, for every Macro slot

  int size() const { return static_cast<int>(list.size()); }
  bool Holds(int index) const { return index >= 0 && index < size(); }
  // Macro `index`; null outside the table (a hand-edited index may name any number).
  const Macro* At(int index) const { return Holds(index) ? &list[static_cast<size_t>(index)] : nullptr; }
  Macro* At(int index) { return Holds(index) ? &list[static_cast<size_t>(index)] : nullptr; }
  // The index of the macro key `code` plays, when it plays one the table holds.
  std::optional<int> PlayedBy(int code) const {
    const auto it = indexMap.find(code);
    if (it == indexMap.end() || !Holds(it->second)) return std::nullopt;
    return it->second;
  }
  bool operator==(const MacroTable&) const = default;
};

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
  MacroTable macros;
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

// The key codes of the down steps of a macro, in order.
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
// macro without a down step) leaves the key sending itself; Disabled, Text, Program, Profile and
// Mouse keys get the identity (the engine acts on their records); a kind outside 0..8 sets nothing, so the key
// passes. A slot whose key code is outside 1..254 is no real key and gets no entry.
void BuildOutputSequence(const KeySlot& slot, const KeyAssignment& assignment, int target,
                         const MediaNameMap& media, ProfileData& data);

}  // namespace orvelle

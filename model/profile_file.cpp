#include "model/profile_file.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "base/ini_section.h"
#include "base/text.h"

namespace orvelle {
namespace {

std::wstring Key(std::wstring_view stem, int number) { return std::wstring(stem) + FormatInt(number); }

// Counts come from a file that may have been edited by hand. No count is taken larger than the
// number of keys its section holds, so a huge value neither hangs the loader nor allocates
// without bound, while every value a saved file holds is read as written.
int BoundedCount(int stored, const IniSection& section) {
  if (stored <= 0) return 0;
  return static_cast<int>(std::min<size_t>(static_cast<size_t>(stored), section.size()));
}

// The first `wanted` comma-separated numbers of a list, each handed to `take`; fields past the
// end of the list count as 0, and fields after the first `wanted` are never looked at.
template <typename Take>
void ForEachField(std::wstring_view text, size_t wanted, Take take) {
  size_t start = 0;
  for (size_t f = 0; f < wanted; ++f) {
    if (start > text.size()) {
      take(0);
      continue;
    }
    size_t comma = text.find(L',', start);
    if (comma == std::wstring_view::npos) comma = text.size();
    take(ParseInt(text.substr(start, comma - start)));
    start = comma + 1;
  }
}

// The file keeps a macro as one flat list of numbers, three per step (key-name parameter, key code,
// direction), and `count` says how many numbers to take. A stored count larger than the fields
// present pads the list with zeros only up to the next whole step; numbers that make no whole step
// at the end are no step. A list longer than kMaxMacroSteps steps keeps its first kMaxMacroSteps.
constexpr size_t kStepFields = 3;

MacroSteps ParseMacroSteps(std::wstring_view text, int count) {
  MacroSteps steps;
  if (count <= 0) return steps;
  const size_t fields = static_cast<size_t>(std::count(text.begin(), text.end(), L',')) + 1;
  const size_t limit = std::min<size_t>((fields + kStepFields - 1) / kStepFields, size_t{kMaxMacroSteps}) * kStepFields;
  const size_t wanted = std::min(static_cast<size_t>(count), limit) / kStepFields * kStepFields;
  steps.reserve(wanted / kStepFields);
  std::array<int, kStepFields> step{};
  size_t field = 0;
  ForEachField(text, wanted, [&](int value) {
    step[field++] = value;
    if (field < kStepFields) return;
    steps.push_back(MacroStep{step[0], step[1], step[2]});
    field = 0;
  });
  return steps;
}

std::wstring JoinSteps(const MacroSteps& steps) {
  std::wstring text;
  for (const MacroStep& step : steps) {
    if (!text.empty()) text += L',';
    text += FormatInt(step.keyNameParam) + L',' + FormatInt(step.keyCode) + L',' + FormatInt(step.direction);
  }
  return text;
}

// A timed macro's waits, one per whole step whatever the list holds: a list too short is padded
// with 0, one too long is cut, and a wait outside 0..kMaxStepDelayMs (or no number at all) becomes
// the nearest value inside. No list, or an empty one, is an untimed macro. Only as many fields as
// there are steps are looked at, however long a hand-edited list is.
MacroDelays ParseMacroDelays(std::wstring_view text, size_t stepCount) {
  MacroDelays delays;
  if (text.empty()) return delays;
  delays.reserve(stepCount);
  ForEachField(text, stepCount, [&](int value) { delays.push_back(std::clamp(value, 0, kMaxStepDelayMs)); });
  return delays;
}

// A loop count outside 1..kMaxMacroLoops, or no number at all, plays the macro once.
int ParseMacroLoops(int stored) { return stored >= 1 && stored <= kMaxMacroLoops ? stored : 1; }

std::wstring JoinInts(const std::vector<int>& values) {
  std::wstring text;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += L',';
    text += FormatInt(values[i]);
  }
  return text;
}

// Text, Program and Args values are one line each, and the line must read back as written. In a
// Text value a backslash starts an escape: \n is a line break, \t a tab and \\ one
// backslash; any other backslash stands for itself, so a hand-written C:\dir keeps its
// backslash unless a 'n', 't' or second backslash follows it. Program and Args values hold no
// control characters and are stored as they are. A value the reader would change (blanks at
// either end are trimmed, one pair of enclosing quotes is stripped) is stored inside double quotes,
// which the reader strips again.
std::wstring QuotedWhereNeeded(std::wstring value) {
  const auto fragile = [](wchar_t c) { return c == L' ' || c == L'"' || c == L'\''; };
  if (!value.empty() && (fragile(value.front()) || fragile(value.back()))) value = L'"' + value + L'"';
  return value;
}

std::wstring EncodeText(std::wstring_view text) {
  std::wstring stored;
  stored.reserve(text.size() + 8);
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        stored += L"\\\\";
        break;
      case L'\n':
        stored += L"\\n";
        break;
      case L'\t':
        stored += L"\\t";
        break;
      default:
        if (c >= 0x20 && c != 0x7F) stored += c;
        break;
    }
  }
  return QuotedWhereNeeded(std::move(stored));
}

// Only as much of a hand-edited value is decoded as can survive the cut to kMaxTextChars.
std::wstring DecodeText(std::wstring_view stored) {
  std::wstring text;
  for (size_t i = 0; i < stored.size() && text.size() <= kMaxTextChars; ++i) {
    const wchar_t c = stored[i];
    const wchar_t next = i + 1 < stored.size() ? stored[i + 1] : L'\0';
    if (c == L'\\' && (next == L'\\' || next == L'n' || next == L't')) {
      text += next == L'n' ? L'\n' : next == L't' ? L'\t' : L'\\';
      ++i;
    } else {
      text += c;
    }
  }
  return CleanText(text);
}

constexpr std::wstring_view kTypeSection = L"TYPE";
constexpr std::wstring_view kTapMsKey = L"TapMs";

// The key hold time is written only while it is set, so that the file of a user who never set it
// stays as the program has always written it; set back to 0, it leaves the file again.
void WriteTapMs(IniAccess& ini, const std::wstring& path, int tapMs) {
  if (tapMs != 0) {
    ini.WriteString(path, kTypeSection, kTapMsKey, FormatInt(tapMs));
  } else {
    ini.DeleteKey(path, kTypeSection, kTapMsKey);
  }
}

// Collects a section the way key-by-key writes into an emptied section would leave it: a key
// written again keeps its first place and takes the new value.
class SectionWriter {
 public:
  void Set(std::wstring key, std::wstring value) {
    const auto [it, inserted] = positions_.emplace(ini_rules::LowerAscii(key), entries_.size());
    if (inserted) {
      entries_.push_back({std::move(key), std::move(value)});
    } else {
      entries_[it->second].value = std::move(value);
    }
  }
  void Set(std::wstring key, int value) { Set(std::move(key), FormatInt(value)); }
  // A key written before and no longer wanted leaves the section; the keys after it move up.
  void Unset(const std::wstring& key) {
    const auto it = positions_.find(ini_rules::LowerAscii(key));
    if (it == positions_.end()) return;
    const size_t at = it->second;
    positions_.erase(it);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
    for (auto& [folded, position] : positions_) {
      if (position > at) --position;
    }
  }
  const std::vector<IniEntry>& entries() const { return entries_; }

 private:
  std::vector<IniEntry> entries_;
  std::unordered_map<std::wstring, size_t> positions_;
};

// A value that is empty leaves the section, like a key no longer wanted.
void SetOrUnset(SectionWriter& section, std::wstring key, std::wstring value) {
  if (value.empty()) {
    section.Unset(key);
  } else {
    section.Set(std::move(key), std::move(value));
  }
}

}  // namespace

std::wstring ProfileSectionName(int n) { return L"Profile" + FormatInt(n); }

void ReadProfileSection(IniAccess& ini, const std::wstring& path, int n, const KeyTable& table,
                        ProfileData& working) {
  const IniSection section(ini.ReadSection(path, ProfileSectionName(n)));
  if (section.size() == 0) {
    // No section at all (a first start without a profile file, or a file that never held this
    // profile): every key keeps its own function. Read key by key, it would map every key to
    // code 0 and leave the whole keyboard dead.
    SetDefaultAssignments(table, working);
    return;
  }

  working.keyMap.clear();
  working.assignedSlots.clear();
  working.macros = MacroTable{};

  // The list names slots by key-table index; elements that name no key slot, or repeat one,
  // are dropped rather than used as indexes.
  const int assignedCount = BoundedCount(section.Int(L"SetIndexNum", 0), section);
  for (int j = 0; j < assignedCount; ++j) {
    const int index = section.Int(Key(L"setindex", j), 0);
    if (index < 0 || index >= kKeySlotCount) continue;
    if (std::find(working.assignedSlots.begin(), working.assignedSlots.end(), index) !=
        working.assignedSlots.end()) {
      continue;
    }
    working.assignedSlots.push_back(index);
  }

  const int macroCount = BoundedCount(section.Int(L"MacroStrNum", 0), section);
  working.macros.list.reserve(static_cast<size_t>(macroCount));
  for (int i = 0; i < macroCount; ++i) {
    Macro& macro = working.macros.list.emplace_back();
    macro.name = section.String(Key(L"MacroName", i));
    const int count = section.Int(Key(L"MacroKeyNum", i), 0);
    if (count > 0) macro.steps = ParseMacroSteps(section.LongString(Key(L"MacroKey", i)), count);
    macro.delays = ParseMacroDelays(section.LongString(Key(L"MacroDelay", i)), macro.steps.size());
    macro.loops = ParseMacroLoops(section.Int(Key(L"MacroLoop", i), 1));
  }

  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    const KeySlot& slot = table.Entry(entry);
    const int code = slot.keyCode;
    KeyAssignment& record = working.records[static_cast<size_t>(entry - 1)];
    record.kind = KindOfNumber(section.Int(Key(L"IndexPic", code), 0));
    record.macroIndex = section.Int(Key(L"MacroIndex", code), 0);
    record.name = section.String(Key(L"SetName", code));
    record.hold = section.Int(Key(L"Hold", code), 0) != 0;
    record.text = record.kind == AssignKind::Text ? DecodeText(section.LongString(Key(L"Text", code)))
                                                              : std::wstring();
    const bool program = record.kind == AssignKind::Program;
    record.program = program ? CleanProgramPath(section.LongString(Key(L"Program", code))) : std::wstring();
    record.args =
        program && !record.program.empty() ? CleanProgramArgs(section.LongString(Key(L"Args", code))) : std::wstring();
    const int target = record.kind == AssignKind::SingleKey ? section.Int(Key(L"Key", code), 0) : 0;
    BuildOutputSequence(slot, record, target, table.media, working);
  }
}

void LoadProfile(IniAccess& ini, const std::wstring& path, int n, const KeyTable& table,
                 ProfileSet& set) {
  ReadProfileSection(ini, path, n, table, set.working);
  if (IsProfileNumber(n)) CopyProfileData(set.working, set.Profile(n));
}

void SaveProfile(IniAccess& ini, const std::wstring& path, int n, const KeyTable& table,
                 const ProfileSet& set) {
  if (!IsProfileNumber(n)) return;
  const ProfileData& profile = set.Profile(n);
  SectionWriter section;
  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    const int code = table.Entry(entry).keyCode;
    const KeyAssignment& record = profile.records[static_cast<size_t>(entry - 1)];
    section.Set(Key(L"IndexPic", code), KindNumber(record.kind));
    section.Set(Key(L"MacroIndex", code), record.macroIndex);
    section.Set(Key(L"SetName", code), record.name);
    if (record.kind == AssignKind::SingleKey) {
      // A single-key slot without a usable target passes its key through, so its own code is what
      // it sends; a file never says a key sends code 0.
      const auto it = profile.keyMap.find(code);
      const OutputSequence sends = SequenceOrIdentity(code, it != profile.keyMap.end() ? it->second : OutputSequence{});
      section.Set(Key(L"Key", code), sends.empty() ? code : sends.front());
    }
    // The values of the newer kinds follow the key's others, and only a key of that kind has
    // them: a profile without such keys is written as it always was. They were cleaned where they
    // entered the program (the dialog's OK, the reader above), so they are written as they are.
    SetOrUnset(section, Key(L"Text", code),
               record.kind == AssignKind::Text ? EncodeText(record.text) : L"");
    const bool program = record.kind == AssignKind::Program && !record.program.empty();
    SetOrUnset(section, Key(L"Program", code), program ? QuotedWhereNeeded(record.program) : L"");
    SetOrUnset(section, Key(L"Args", code), program ? QuotedWhereNeeded(record.args) : L"");
    // Only a held key says so. A later slot with the same key code decides for the group, as it
    // does for every other value of it.
    if (record.hold) {
      section.Set(Key(L"Hold", code), 1);
    } else {
      section.Unset(Key(L"Hold", code));
    }
  }
  const std::vector<Macro>& macros = profile.macros.list;
  section.Set(L"MacroStrNum", static_cast<int>(macros.size()));
  for (size_t i = 0; i < macros.size(); ++i) section.Set(Key(L"MacroName", static_cast<int>(i)), macros[i].name);
  for (size_t i = 0; i < macros.size(); ++i) {
    const int m = static_cast<int>(i);
    section.Set(Key(L"MacroKey", m), JoinSteps(macros[i].steps));
    section.Set(Key(L"MacroKeyNum", m), static_cast<int>(macros[i].steps.size() * kStepFields));
    // An untimed macro played once writes nothing more, as every macro did before timing existed.
    if (!macros[i].delays.empty()) section.Set(Key(L"MacroDelay", m), JoinInts(macros[i].delays));
    if (macros[i].loops > 1) section.Set(Key(L"MacroLoop", m), macros[i].loops);
  }
  section.Set(L"SetIndexNum", static_cast<int>(profile.assignedSlots.size()));
  for (size_t j = 0; j < profile.assignedSlots.size(); ++j) {
    section.Set(Key(L"setindex", static_cast<int>(j)), profile.assignedSlots[j]);
  }
  ini.WriteSection(path, ProfileSectionName(n), section.entries());
}

void LoadAllProfiles(IniAccess& ini, const std::wstring& path, const KeyTable& table,
                     ProfileSet& set) {
  // A hand-edited number outside 1..3 would select no profile at all; it is taken as 1.
  int active = ini.ReadInt(path, kTypeSection, L"type", 1);
  if (!IsProfileNumber(active)) active = 1;
  set.activeProfile = active;
  // A hold time outside 0..kMaxTapMs, or no number at all, holds no key.
  const int tapMs = ini.ReadInt(path, kTypeSection, kTapMsKey, 0);
  set.tapMs = tapMs >= 0 && tapMs <= kMaxTapMs ? tapMs : 0;
  set.bindings = ReadBindings(ini.ReadSection(path, kProgramsSection));
  for (int step = 1; step <= 3; ++step) LoadProfile(ini, path, (active + step - 1) % 3 + 1, table, set);
  set.pending = false;
}

void WriteAllProfiles(IniAccess& ini, const std::wstring& path, const KeyTable& table,
                      const ProfileSet& set) {
  for (int n = 1; n <= 3; ++n) SaveProfile(ini, path, n, table, set);
  ini.WriteString(path, kTypeSection, L"type", FormatInt(set.activeProfile));
  WriteTapMs(ini, path, set.tapMs);
  // Like the hold time, the section is there only while something is bound.
  if (set.bindings.empty()) {
    ini.DeleteSection(path, kProgramsSection);
  } else {
    ini.WriteSection(path, kProgramsSection, BindingEntries(set.bindings));
  }
}

void InitKeyMaps(ProfileSet& set) {
  const KeyMap identity = IdentityKeyMap();
  set.working = ProfileData{};
  set.working.keyMap = identity;
  for (ProfileData& profile : set.profiles) {
    profile = ProfileData{};
    profile.keyMap = identity;
  }
}

}  // namespace orvelle

#include "model/profile_file.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "base/ini_section.h"
#include "base/language.h"
#include "base/text.h"
#include "model/profile_values.h"

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

// A display name as it was written, blanks and quotes included, up to kMaxNameChars.
std::wstring ReadName(const IniSection& section, const std::wstring& key) {
  return CutToUnits(section.LongString(key), kMaxNameChars);
}


constexpr std::wstring_view kTypeSection = L"TYPE";
constexpr std::wstring_view kTapMsKey = L"TapMs";
constexpr std::wstring_view kRunAsAdminKey = L"RunAsAdmin";
constexpr std::wstring_view kOsdKey = L"Osd";
constexpr std::wstring_view kLanguageKey = L"Language";

// The key hold time is written only while it is set, so that the file of a user who never set it
// stays as the program has always written it; set back to 0, it leaves the file again.
void WriteTapMs(IniAccess& ini, const std::wstring& path, int tapMs) {
  if (tapMs != 0) {
    ini.WriteString(path, kTypeSection, kTapMsKey, FormatInt(tapMs));
  } else {
    ini.DeleteKey(path, kTypeSection, kTapMsKey);
  }
}

// Like the hold time, present only while on.
void WriteSwitch(IniAccess& ini, const std::wstring& path, std::wstring_view key, bool on) {
  if (on) {
    ini.WriteString(path, kTypeSection, key, L"1");
  } else {
    ini.DeleteKey(path, kTypeSection, key);
  }
}

// Written only once the user chose a language, so a file of someone who never did stays as it
// was; the choice is never taken back, so nothing deletes it.
void WriteLanguage(IniAccess& ini, const std::wstring& path, const std::wstring& language) {
  if (!language.empty()) ini.WriteString(path, kTypeSection, kLanguageKey, language);
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
    macro.name = ReadName(section, Key(L"MacroName", i));
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
    record.name = ReadName(section, Key(L"SetName", code));
    record.hold = section.Int(Key(L"Hold", code), 0) != 0;
    record.text = record.kind == AssignKind::Text ? DecodeText(section.LongString(Key(L"Text", code)))
                                                              : std::wstring();
    const bool program = record.kind == AssignKind::Program;
    record.program = program ? CleanProgramPath(section.LongString(Key(L"Program", code))) : std::wstring();
    record.args =
        program && !record.program.empty() ? CleanProgramArgs(section.LongString(Key(L"Args", code))) : std::wstring();
    record.profileTarget = record.kind == AssignKind::Profile ? ProfileTargetOf(section.String(Key(L"Profile", code)))
                                                              : ProfileTarget::None;
    record.mouse =
        record.kind == AssignKind::Mouse ? MouseActionOf(section.String(Key(L"Mouse", code))) : MouseAction::None;
    const int turbo = section.Int(Key(L"Turbo", code), 0);
    record.turboMs = TakesTurbo(record.kind) && IsTurboPeriod(turbo) ? turbo : 0;
    // A file that says both means turbo: the two exclude each other.
    if (record.turboMs != 0) record.hold = false;
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
    section.Set(Key(L"SetName", code), QuotedWhereNeeded(record.name));
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
    const bool turbo = TakesTurbo(record.kind) && IsTurboPeriod(record.turboMs);
    if (record.hold && !turbo) {
      section.Set(Key(L"Hold", code), 1);
    } else {
      section.Unset(Key(L"Hold", code));
    }
    SetOrUnset(section, Key(L"Profile", code),
               record.kind == AssignKind::Profile ? std::wstring(ProfileTargetValue(record.profileTarget)) : L"");
    SetOrUnset(section, Key(L"Mouse", code),
               record.kind == AssignKind::Mouse ? std::wstring(MouseActionValue(record.mouse)) : L"");
    if (turbo) {
      section.Set(Key(L"Turbo", code), record.turboMs);
    } else {
      section.Unset(Key(L"Turbo", code));
    }
  }
  const std::vector<Macro>& macros = profile.macros.list;
  section.Set(L"MacroStrNum", static_cast<int>(macros.size()));
  for (size_t i = 0; i < macros.size(); ++i) section.Set(Key(L"MacroName", static_cast<int>(i)), QuotedWhereNeeded(macros[i].name));
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
  set.runAsAdmin = ini.ReadInt(path, kTypeSection, kRunAsAdminKey, 0) == 1;
  set.osd = ini.ReadInt(path, kTypeSection, kOsdKey, 0) == 1;
  // Anything but a language code counts as no choice.
  const std::optional<Language> language = LanguageFromCode(ini.ReadString(path, kTypeSection, kLanguageKey, L""));
  set.language = language ? std::wstring(LanguageCode(*language)) : std::wstring();
  set.bindings = ReadBindings(ini.ReadSection(path, kProgramsSection));
  for (int step = 1; step <= 3; ++step) LoadProfile(ini, path, (active + step - 1) % 3 + 1, table, set);
  set.pending = false;
}

// More sections of one name than a file of ours or any reasonable hand edit holds; the rest of a
// hostile file's are left as they are.
constexpr int kMaxProgramsSections = 64;

void WriteAllProfiles(IniAccess& ini, const std::wstring& path, const KeyTable& table,
                      const ProfileSet& set) {
  for (int n = 1; n <= 3; ++n) SaveProfile(ini, path, n, table, set);
  ini.WriteString(path, kTypeSection, L"type", FormatInt(set.activeProfile));
  WriteTapMs(ini, path, set.tapMs);
  WriteSwitch(ini, path, kRunAsAdminKey, set.runAsAdmin);
  WriteSwitch(ini, path, kOsdKey, set.osd);
  WriteLanguage(ini, path, set.language);
  // Like the hold time, the section is there only while something is bound. A hand-edited file may
  // hold it more than once; the reader takes the first, so each later one is a shadow that writing
  // the first alone would bring to life. Every one goes (the sections are deleted first to last
  // until two in a row are found empty: none is left, or only empty ones), and the bindings in
  // effect are written once.
  for (int deleted = 0, emptyInARow = 0; deleted < kMaxProgramsSections && emptyInARow < 2; ++deleted) {
    emptyInARow = ini.ReadSection(path, kProgramsSection).empty() ? emptyInARow + 1 : 0;
    ini.DeleteSection(path, kProgramsSection);
  }
  if (!set.bindings.empty()) ini.WriteSection(path, kProgramsSection, BindingEntries(set.bindings));
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

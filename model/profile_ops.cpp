#include "model/profile_ops.h"

#include "model/profile_file.h"
#include "model/program_start.h"
#include "base/text.h"
#include "base/texts.h"
#include "platform/portable/ini_file_copy.h"

namespace orvelle {

void ApplyWorkingCopy(ProfileSet& set) {
  CopyProfileData(set.working, set.Active());
  set.pending = false;
}

void SwitchProfile(ProfileSet& set, int n, ProfileUi& ui) {
  if (!IsProfileNumber(n)) return;
  if (n != set.activeProfile && set.pending) {
    // OK keeps the edits with the profile being left; Cancel drops them. Either way it switches.
    if (ui.Confirm(Text(TextId::SwitchQuestion))) CopyProfileData(set.working, set.Active());
    set.pending = false;
  }
  set.activeProfile = n;
  CopyProfileData(set.Active(), set.working);
  ui.RepaintMainWindow();
}

void ResetToDefaults(ProfileSet& set, const KeyTable& table, ProfileUi& ui) {
  if (!ui.Confirm(Text(TextId::ResetQuestion))) return;
  SetDefaultAssignments(table, set.working);
  set.pending = true;
  ui.RepaintMainWindow();
  ApplyWorkingCopy(set);
}

std::wstring SuggestedExportName(int profile) {
  return std::wstring(Text(TextId::ExportNameStart)) + FormatInt(profile) + std::wstring(Text(TextId::ExportNameEnd));
}

bool ExportProfile(FileStore& files, LegacyDecoder legacy, const KeyTable& table, const ProfileSet& set,
                   ProfileUi& ui) {
  const auto file = ui.ChooseExportFile(SuggestedExportName(set.activeProfile));
  if (!file) return false;
  IniFileCopy copy(files, legacy, *file);
  if (copy.Load() == ReadOutcome::Unreadable) {
    ui.Tell(TextWith(TextId::ExportUnreadable, {FileNameOf(*file)}), MessageKind::Error);
    return false;
  }
  copy.ini().WriteString(copy.path(), L"TYPE", L"type", FormatInt(set.activeProfile));
  SaveProfile(copy.ini(), copy.path(), set.activeProfile, table, set);
  const IniFileCopy::SaveReport saved = copy.Save(IniFileCopy::Backup::None);
  // Changed by someone else between our read and our write: that version is kept beside it.
  if (!saved.kept.empty()) ui.Tell(TextWith(TextId::ExportChangedMeanwhile, {FileNameOf(*file), FileNameOf(saved.kept)}),
                                   MessageKind::Warning);
  if (!saved) {
    ui.Tell(TextWith(TextId::ExportNotWritten, {FileNameOf(*file)}), MessageKind::Error);
    return false;
  }
  ui.Tell(std::wstring(Text(TextId::ExportDoneStart)) + FormatInt(set.activeProfile) + std::wstring(Text(TextId::ExportDoneMiddle)) +
              *file,
          MessageKind::Information);
  return true;
}

bool ImportProfile(FileStore& files, LegacyDecoder legacy, const KeyTable& table, ProfileSet& set,
                   ProfileUi& ui, const ExpandVariables& expand) {
  const auto file = ui.ChooseImportFile();
  if (!file) return false;
  IniFileCopy copy(files, legacy, *file, kMaxImportBytes);
  switch (copy.Load()) {
    case ReadOutcome::Read:
      break;
    case ReadOutcome::Missing:
      ui.Tell(TextWith(TextId::ImportMissing, {FileNameOf(*file)}), MessageKind::Error);
      return false;
    case ReadOutcome::Unreadable:
      ui.Tell(TextWith(copy.tooLarge() ? TextId::ImportTooLarge : TextId::ImportUnreadable, {FileNameOf(*file)}),
              MessageKind::Error);
      return false;
  }
  // The file's own profile number only says which section to read; the data replace the active
  // profile, whichever profile they were exported from.
  int source = copy.ini().ReadInt(copy.path(), L"TYPE", L"type", 1);
  if (!IsProfileNumber(source)) source = 1;
  if (copy.ini().ReadSection(copy.path(), ProfileSectionName(source)).empty()) {
    // Read all the same, a file without the profile would reset every key of the active profile.
    ui.Tell(TextWith(TextId::ImportNoProfile, {FileNameOf(*file)}), MessageKind::Warning);
    return false;
  }
  ProfileData imported = set.working;
  ReadProfileSection(copy.ini(), copy.path(), source, table, imported);
  // A file from someone else must not start anything unasked: the keys that would go back to
  // their own functions unless the user keeps them.
  const std::vector<ImportedAction> actions = ImportedActions(imported, table, expand);
  if (!actions.empty() && !ui.Confirm(ImportedActionsQuestion(std::wstring(FileNameOf(*file)), actions))) {
    for (const ImportedAction& action : actions) {
      imported.macros.indexMap.erase(table.slots[static_cast<size_t>(action.slot)].keyCode);
      RestoreSlotDefault(table, action.slot, imported);
    }
  }
  const bool changed = !(imported == set.Active()) || !(imported == set.working);
  set.working = std::move(imported);
  CopyProfileData(set.working, set.Active());
  return changed;
}

}  // namespace orvelle

#include "model/profile_ops.h"

#include "model/profile_file.h"
#include "model/text.h"

namespace orvelle {

void ApplyWorkingCopy(ProfileSet& set) {
  CopyProfileData(set.working, set.Active());
  set.pending = false;
}

void SwitchProfile(ProfileSet& set, int n, ProfileUi& ui) {
  if (!IsProfileNumber(n)) return;
  if (n != set.activeProfile && set.pending) {
    // OK keeps the edits with the profile being left; Cancel drops them. Either way it switches.
    if (ui.Confirm(kSwitchQuestion)) CopyProfileData(set.working, set.Active());
    set.pending = false;
  }
  set.activeProfile = n;
  CopyProfileData(set.Active(), set.working);
  ui.RepaintMainWindow();
}

void ResetToDefaults(ProfileSet& set, const KeyTable& table, ProfileUi& ui) {
  if (!ui.Confirm(kResetQuestion)) return;
  SetDefaultAssignments(table, set.working);
  set.pending = true;
  ui.RepaintMainWindow();
  ApplyWorkingCopy(set);
}

void ExportProfile(IniAccess& ini, const KeyTable& table, ProfileSet& set, ProfileUi& ui) {
  const auto file = ui.ChooseExportFile();
  if (!file) return;
  ini.WriteString(*file, L"TYPE", L"type", FormatInt(set.activeProfile));
  SaveProfile(ini, *file, set.activeProfile, table, set);
}

void ImportProfile(IniAccess& ini, const KeyTable& table, ProfileSet& set, ProfileUi& ui) {
  const auto file = ui.ChooseImportFile();
  if (!file) return;
  // The file's own profile number only says which section to read; the data replace the active
  // profile, whichever profile they were exported from.
  const int source = ini.ReadInt(*file, L"TYPE", L"type", 1);
  ReadProfileSection(ini, *file, source, table, set.working);
  CopyProfileData(set.working, set.Active());
}

}  // namespace orvelle

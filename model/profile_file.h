#pragma once

#include <string>

#include "model/key_table.h"
#include "model/profile_set.h"
#include "base/ini.h"

namespace orvelle {


// "Profile<n>": where profile n lives in the profile file and in an exported file.
std::wstring ProfileSectionName(int n);

// Reads section "Profile<n>" of `path` into the working copy (the records of entries 122..132
// keep what they held). Output sequences are rebuilt from the key table.
void ReadProfileSection(IniAccess& ini, const std::wstring& path, int n, const KeyTable& table,
                        ProfileData& working);

// ReadProfileSection, then the working copy into profile copy n when n is 1..3.
void LoadProfile(IniAccess& ini, const std::wstring& path, int n, const KeyTable& table,
                 ProfileSet& set);

// Writes profile copy n into section "Profile<n>" of `path`, replacing all its keys. Each key's
// group is IndexPic, MacroIndex, SetName, then Key (a single key), Text (a Text key) or Program
// and Args (a Program key, Args only when there are arguments), then Hold (a held key): a profile
// without Text or Program keys is written as before they existed. In a Text value \n is a line
// break, \t a tab and \\ one backslash (any other backslash stands for itself); Program and Args
// values are stored as they are. A value with a blank or a quote at either end is stored inside
// double quotes, so that every value reads back as written.
void SaveProfile(IniAccess& ini, const std::wstring& path, int n, const KeyTable& table,
                 const ProfileSet& set);

// The active profile number and the key hold time from "TYPE", the program bindings from
// "Programs", then the three profiles with the active one last.
void LoadAllProfiles(IniAccess& ini, const std::wstring& path, const KeyTable& table,
                     ProfileSet& set);

// The three profile copies, the active number, the key hold time and the program bindings, as
// they are: the working copy is not applied.
void WriteAllProfiles(IniAccess& ini, const std::wstring& path, const KeyTable& table,
                      const ProfileSet& set);

}  // namespace orvelle

#include "model/profile_file.h"
#include "model/profile_store.h"
#include "platform/portable/portable_ini.h"
#include "platform/win32/file_store_win.h"
#include "platform/win32/win32_ini.h"
#include "tests/ini_contract.h"
#include "tests/test_support.h"

namespace orvelle::testing {

namespace {
std::unique_ptr<IniAccess> MakeSystem() { return std::make_unique<Win32Ini>(); }
std::unique_ptr<IniAccess> MakePortable() { return std::make_unique<PortableIni>(DiskFiles(), DecodeAnsi); }
}  // namespace

INSTANTIATE_TEST_SUITE_P(Windows, IniContract,
                         ::testing::Values(IniImplementation{"System", MakeSystem, DecodeAnsi},
                                           IniImplementation{"Portable", MakePortable, DecodeAnsi}),
                         IniImplementationName);

// The profile file as the program writes it reads the same through the system's functions, which
// is how the program's earlier versions read it.
TEST(ProfileFileOnWindows, ReadsTheSameThroughTheSystem) {
  TempFolder folder;
  const KeyTable layout = MakeKeyTable({{1, 27, L"Esc"}, {2, 112, L"F1"}, {3, 113, L"F2"}});
  folder.WriteUtf16(L"Main.ini", LayoutText(layout));
  Win32FileStore files;
  ProfileStore store(files, DecodeAnsi, folder.Path(L""));
  KeyTable table;
  ProfileSet set;
  InitKeyMaps(set);
  ASSERT_TRUE(store.Load(table, set).writable());
  set.activeProfile = 2;
  set.Profile(2).records[2] = {L"Копировать", AssignKind::Function, 0};
  set.Profile(2).macros.list = {testing::MacroOf(L"Макрос «один»", {1966080, 65, 1, -2145517568, 65, 0})};
  ASSERT_EQ(store.Save(table, set).outcome, SaveOutcome::Saved);

  Win32Ini system;
  PortableIni portable(files, DecodeAnsi);
  const std::wstring path = store.profilePath();
  EXPECT_EQ(system.ReadInt(path, L"TYPE", L"type", 0), 2);
  for (int n = 1; n <= 3; ++n) {
    const auto entries = system.ReadSection(path, ProfileSectionName(n));
    EXPECT_FALSE(entries.empty());
    EXPECT_EQ(entries, portable.ReadSection(path, ProfileSectionName(n))) << n;
  }
  EXPECT_EQ(system.ReadString(path, L"Profile2", L"SetName113", L""), L"Копировать");
}

}  // namespace orvelle::testing

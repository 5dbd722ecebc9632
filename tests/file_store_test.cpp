// Whole files: how their bytes are decoded, the disk store's outcomes, and replacing a file in one
// step without ever losing the one that was there.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/portable/disk_file_store.h"
#include "platform/portable/ini_file_copy.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"
#include "tests/test_support.h"

namespace orvelle {
namespace {

using Fault = MemoryFileStore::Fault;
using testing::TempFolder;
using testing::Utf16File;

TEST(FileText, DecodedByMarkThenUtf8ThenTheLegacyCodePage) {
  const std::wstring word = L"Копировать";
  struct Case {
    const char* what;
    std::string bytes;
    LegacyDecoder legacy;
    std::wstring expected;
  } cases[] = {
      {"UTF-16LE with its mark", EncodeText(word, TextEncoding::Utf16Le), nullptr, word},
      {"UTF-8 with its mark", EncodeText(word, TextEncoding::Utf8WithBom), nullptr, word},
      {"UTF-8 without a mark", ToUtf8(word), testing::DecodeCp1251, word},
      {"ASCII", "[TYPE]", testing::DecodeCp1251, L"[TYPE]"},
      {"not UTF-8: the legacy code page", testing::EncodeCp1251(word), testing::DecodeCp1251, word},
      {"not UTF-8, no decoder given: Latin-1", "caf\xE9", nullptr, L"caf\u00E9"},
      {"overlong UTF-8 is not UTF-8", "\xC0\xAF", nullptr, L"\u00C0\u00AF"},
      {"empty", "", nullptr, L""},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeFileText(c.bytes, c.legacy), c.expected) << c.what;
}

TEST(DiskFiles, TellMissingFromUnreadableAndReplaceWholeFiles) {
  TempFolder folder;
  DiskFileStore disk;
  std::string bytes = "stale";
  EXPECT_EQ(disk.Read(folder.Path(L"absent.ini"), bytes), ReadOutcome::Missing);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(disk.Read(folder.Path(L"no-folder/set.ini"), bytes), ReadOutcome::Missing);
  std::filesystem::create_directory(FileSystemPath(folder.Path(L"folder.ini")));
  EXPECT_EQ(disk.Read(folder.Path(L"folder.ini"), bytes), ReadOutcome::Unreadable);
  // Too large to be ours: refused without being read (the file is sparse, so this is cheap).
  const std::wstring huge = folder.WriteBytes(L"huge.ini", "");
  std::filesystem::resize_file(FileSystemPath(huge), kMaxFileBytes + 1);
  EXPECT_EQ(disk.Read(huge, bytes), ReadOutcome::Unreadable);
  EXPECT_TRUE(bytes.empty());

  const std::wstring a = folder.Path(L"Файл.ini");
  const std::wstring b = folder.Path(L"b.ini");
  const std::string content("\xFF\xFE[\0S\0]\0", 8);
  ASSERT_TRUE(disk.Write(a, content));
  ASSERT_EQ(disk.Read(a, bytes), ReadOutcome::Read);
  EXPECT_EQ(bytes, content);
  ASSERT_TRUE(disk.Write(b, "older and longer"));
  ASSERT_TRUE(disk.Copy(a, b));
  disk.Read(b, bytes);
  EXPECT_EQ(bytes, content);
  ASSERT_TRUE(disk.Write(b, "new"));
  ASSERT_TRUE(disk.Move(b, a));
  disk.Read(a, bytes);
  EXPECT_EQ(bytes, "new");
  EXPECT_EQ(disk.Read(b, bytes), ReadOutcome::Missing);
  EXPECT_TRUE(disk.Remove(a));
  EXPECT_TRUE(disk.Remove(a)) << "already gone counts as removed";
  EXPECT_FALSE(disk.Write(folder.Path(L"no-folder/x.ini"), "x"));
}

class IniFileCopyTest : public ::testing::Test {
 protected:
  // Edits the copy so that saving has something to write.
  static void Edit(IniFileCopy& copy) { copy.ini().WriteString(copy.path(), L"Profile1", L"Key65", L"66"); }

  const std::wstring path = L"C:\\Orvelle\\set.ini";
  const std::string original = Utf16File(L"[TYPE]\ntype=2\n[Profile1]\nKey65=65\n");
  MemoryFileStore files;
};

TEST_F(IniFileCopyTest, ASaveThatFailsAtAnyStepLeavesTheFileAsItWasAndNoScratch) {
  struct Case {
    const char* what;
    std::wstring path;
    Fault fault;
  } cases[] = {
      {"scratch write fails", path + L".new", Fault::WriteFails},
      {"scratch comes out short", path + L".new", Fault::WriteShort},
      {"scratch reads back different", path + L".new", Fault::WriteAltered},
      {"scratch cannot be read back", path + L".new", Fault::Unreadable},
      {"move over the file fails", path, Fault::MoveFails},
      {"file is read-only", path, Fault::ReadOnly},
  };
  for (const Case& c : cases) {
    files.Clear();
    files.Put(path, original);
    IniFileCopy copy(files, nullptr, path);
    ASSERT_EQ(copy.Load(), ReadOutcome::Read);
    files.Inject(c.path, c.fault);
    Edit(copy);
    EXPECT_FALSE(copy.Save(IniFileCopy::Backup::KeepPrevious)) << c.what;
    EXPECT_EQ(*files.Find(path), original) << c.what;
    EXPECT_EQ(files.Find(path + L".new"), nullptr) << c.what;
    EXPECT_TRUE(copy.Changed()) << c.what << ": the next save tries again";

    files.Heal(c.path, c.fault);
    EXPECT_TRUE(copy.Save(IniFileCopy::Backup::KeepPrevious)) << c.what;
    EXPECT_EQ(*files.Find(path + L".bak"), original) << c.what;
    EXPECT_FALSE(copy.Changed()) << c.what;
  }
}

TEST_F(IniFileCopyTest, BackupHoldsTheReplacedFileAndAFailedBackupDoesNotStopTheSave) {
  files.Put(path, original);
  IniFileCopy copy(files, nullptr, path);
  copy.Load();
  Edit(copy);
  ASSERT_TRUE(copy.Save(IniFileCopy::Backup::KeepPrevious));
  const std::string first = *files.Find(path);
  EXPECT_EQ(*files.Find(path + L".bak"), original);

  copy.ini().WriteString(path, L"TYPE", L"type", L"3");
  files.Inject(path + L".bak", Fault::CopyFails);
  EXPECT_TRUE(copy.Save(IniFileCopy::Backup::KeepPrevious)) << "the new file was verified before the backup";
  EXPECT_EQ(copy.ini().ReadInt(path, L"TYPE", L"type", 0), 3);
  EXPECT_NE(*files.Find(path), first);
  EXPECT_EQ(*files.Find(path + L".bak"), original) << "the older backup stays";
  EXPECT_EQ(files.Find(path + L".new"), nullptr);
}

TEST_F(IniFileCopyTest, AFileThatExistsButCannotBeReadIsNeverWrittenOver) {
  files.Put(path, original);
  files.Inject(path, Fault::Unreadable);
  IniFileCopy copy(files, nullptr, path);
  EXPECT_EQ(copy.Load(), ReadOutcome::Unreadable);
  EXPECT_TRUE(copy.ini().ReadSection(path, L"Profile1").empty());
  Edit(copy);
  EXPECT_FALSE(copy.Save(IniFileCopy::Backup::None));
  EXPECT_EQ(*files.Find(path), original);
  EXPECT_EQ(files.Paths().size(), 1u);
}

TEST_F(IniFileCopyTest, AMissingFileIsCreatedWithoutBackup) {
  IniFileCopy copy(files, nullptr, path);
  EXPECT_EQ(copy.Load(), ReadOutcome::Missing);
  EXPECT_FALSE(copy.Changed());
  Edit(copy);
  EXPECT_TRUE(copy.Changed());
  ASSERT_TRUE(copy.Save(IniFileCopy::Backup::KeepPrevious));
  EXPECT_EQ(*files.Find(path), Utf16File(L"[Profile1]\nKey65=66\n"));
  EXPECT_EQ(files.Paths(), std::vector<std::wstring>{path});
}

TEST_F(IniFileCopyTest, AFileThatAppearsAfterTheReadIsKeptAsTheBackup) {
  IniFileCopy copy(files, nullptr, path);
  ASSERT_EQ(copy.Load(), ReadOutcome::Missing);
  const std::string restored = Utf16File(L"[Profile1]\nKey65=90\n");
  files.Put(path, restored);
  Edit(copy);
  ASSERT_TRUE(copy.Save(IniFileCopy::Backup::KeepPrevious));
  EXPECT_EQ(*files.Find(path + L".bak"), restored);
}

TEST(KeptVersions, AreNamedByTheLocalTimeOfTheSave) {
  struct Case {
    long long unixSeconds;
    const wchar_t* name;
  } cases[] = {
      {0, L"set.ini.19700101-000000.bak"},
      {951782400, L"set.ini.20000229-000000.bak"},  // a leap day of a century year
      {1796954706, L"set.ini.20261211-020506.bak"},
      {4102444799, L"set.ini.20991231-235959.bak"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeptVersionPath(L"set.ini", StampOfUnixSeconds(c.unixSeconds)), c.name) << c.unixSeconds;
  }
}

TEST_F(IniFileCopyTest, AnotherWritersVersionIsKeptBesideItBeforeItIsReplaced) {
  const std::wstring kept = path + L".20260102-030405.bak";  // MemoryFileStore's clock
  const std::string handEdited = Utf16File(L"[TYPE]\ntype=3\n[Profile1]\nKey65=77\n");
  enum class Meanwhile { Nothing, HandEdit, PutBack, Removed, KeptNameTaken, KeepFails };
  struct Case {
    const char* what;
    Meanwhile meanwhile;
    bool saved;
    std::wstring keptAs;  // empty: nothing kept
  } cases[] = {
      {"nobody else wrote", Meanwhile::Nothing, true, L""},
      {"edited by hand while the program ran", Meanwhile::HandEdit, true, kept},
      {"put back while the program ran without it", Meanwhile::PutBack, true, kept},
      {"removed meanwhile: nothing to keep", Meanwhile::Removed, true, L""},
      {"a version kept in the same second", Meanwhile::KeptNameTaken, true, path + L".20260102-030405-2.bak"},
      {"the version cannot be kept: no save", Meanwhile::KeepFails, false, L""},
  };
  for (const Case& c : cases) {
    files.Clear();
    if (c.meanwhile != Meanwhile::PutBack) files.Put(path, original);
    IniFileCopy copy(files, nullptr, path);
    copy.Load();
    Edit(copy);
    std::string before = c.meanwhile == Meanwhile::Nothing || c.meanwhile == Meanwhile::Removed ? "" : handEdited;
    if (!before.empty()) files.Put(path, before);
    if (c.meanwhile == Meanwhile::Removed) files.Remove(path);
    if (c.meanwhile == Meanwhile::KeptNameTaken) files.Put(kept, "another kept version");
    if (c.meanwhile == Meanwhile::KeepFails) files.Inject(kept, Fault::WriteFails);

    const IniFileCopy::SaveReport report = copy.Save(IniFileCopy::Backup::KeepPrevious);
    EXPECT_EQ(report.saved, c.saved) << c.what;
    EXPECT_EQ(report.kept, c.saved ? c.keptAs : L"") << c.what;
    if (!c.keptAs.empty()) {
      EXPECT_EQ(*files.Find(c.keptAs), handEdited) << c.what;
    }
    if (!c.saved) {
      EXPECT_EQ(*files.Find(path), handEdited) << c.what << ": the other version stays in place";
    }
    EXPECT_EQ(files.Find(path + L".new"), nullptr) << c.what;
    if (c.meanwhile == Meanwhile::KeepFails) {
      EXPECT_EQ(files.Find(kept), nullptr) << c.what;
    }
    if (!c.saved) continue;
    // The next save replaces only what the program itself wrote: nothing more is kept.
    copy.ini().WriteString(path, L"TYPE", L"type", L"1");
    const size_t filesBefore = files.Paths().size();
    const IniFileCopy::SaveReport next = copy.Save(IniFileCopy::Backup::KeepPrevious);
    EXPECT_TRUE(next.saved && next.kept.empty()) << c.what;
    EXPECT_EQ(files.Paths().size(), filesBefore + (c.meanwhile == Meanwhile::Removed ? 1 : 0)) << c.what;
  }
}

TEST_F(IniFileCopyTest, AFileHeldByAnotherProgramIsReportedBusySoTheSaveIsTriedAgain) {
  struct Case {
    const char* what;
    std::wstring path;
    Fault fault;
    bool busy;
  } cases[] = {
      {"set.ini held at the check", path, Fault::Busy, true},
      {"the scratch file held", path + L".new", Fault::Busy, true},
      {"a write that fails for good", path + L".new", Fault::WriteFails, false},
      {"a read-only file", path, Fault::ReadOnly, false},
  };
  for (const Case& c : cases) {
    files.Clear();
    files.Put(path, original);
    IniFileCopy copy(files, nullptr, path);
    copy.Load();
    Edit(copy);
    files.Inject(c.path, c.fault);
    const IniFileCopy::SaveReport report = copy.Save(IniFileCopy::Backup::KeepPrevious);
    EXPECT_FALSE(report.saved) << c.what;
    EXPECT_EQ(report.busy, c.busy) << c.what;
    EXPECT_EQ(*files.Find(path), original) << c.what;
    files.Heal(c.path, c.fault);
    EXPECT_TRUE(copy.Save(IniFileCopy::Backup::KeepPrevious).saved) << c.what << ": once it is let go";
  }
}

TEST_F(IniFileCopyTest, AFileTooLargeToReadWholeIsUnreadableAndNeverWrittenOver) {
  // ASCII doubles in the UTF-16 copy: a file the store reads may still not fit in the copy.
  const std::string huge = "[Profile1]\r\nKey65=66\r\n" + std::string(kMaxIniBytes, ';');
  files.Put(path, huge);
  IniFileCopy copy(files, nullptr, path);
  EXPECT_EQ(copy.Load(), ReadOutcome::Unreadable);
  EXPECT_TRUE(copy.tooLarge());
  EXPECT_EQ(copy.ini().ReadInt(path, L"Profile1", L"Key65", -1), -1);
  Edit(copy);
  EXPECT_FALSE(copy.Save(IniFileCopy::Backup::KeepPrevious));
  EXPECT_EQ(*files.Find(path), huge);
  EXPECT_EQ(files.Paths().size(), 1u);
}

TEST(PortableIniEngine, ReportsAFileItCannotReadAndNeverAnswersWithAnEmptyOne) {
  MemoryFileStore files;
  const std::wstring path = L"locked.ini";
  const std::string text = Utf16File(L"[S]\nk=5\n");
  files.Put(path, text);
  files.Inject(path, Fault::Unreadable);
  PortableIni ini(files);
  EXPECT_EQ(ini.ReadInt(path, L"S", L"k", -1), -1);
  EXPECT_TRUE(ini.ReadSection(path, L"S").empty());
  EXPECT_TRUE(ini.TakeUnreadable());
  EXPECT_FALSE(ini.TakeUnreadable()) << "each report is taken once";
  // A write over a file it could not read would leave a file holding nothing but the change.
  ini.WriteString(path, L"S", L"k", L"6");
  ini.WriteSection(path, L"S", {{L"a", L"1"}});
  ini.DeleteKey(path, L"S", L"k");
  ini.DeleteSection(path, L"S");
  EXPECT_EQ(*files.Find(path), text);
  EXPECT_TRUE(ini.TakeUnreadable());
  ini.WriteString(L"missing.ini", L"S", L"k", L"1");
  EXPECT_FALSE(ini.TakeUnreadable()) << "a missing file is no failure: it is created";
}

TEST_F(IniFileCopyTest, ALegacyFileComesBackAsUtf16WithItsOtherSectionsKept) {
  // Latin-1 stands for the system's legacy code page here.
  files.Put(path, "[Other]\r\nname=caf\xE9\r\n\r\n[Profile1]\r\nKey65=65\r\nKey66=66\r\n\r\n[Tail]\r\nx=1\r\n");
  IniFileCopy copy(files, nullptr, path);
  copy.Load();
  EXPECT_TRUE(copy.Changed()) << "the copy is already UTF-16LE";
  copy.ini().WriteSection(path, L"Profile1", {{L"Key65", L"70"}});
  ASSERT_TRUE(copy.Save(IniFileCopy::Backup::None));
  EXPECT_EQ(*files.Find(path), Utf16File(L"[Other]\nname=caf\u00E9\n\n[Profile1]\nKey65=70\n\n[Tail]\nx=1\n"));
}

}  // namespace
}  // namespace orvelle

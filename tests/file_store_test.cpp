// Whole files: how their bytes are decoded, the disk store's outcomes, and replacing a file in one
// step without ever losing the one that was there.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/portable/disk_file_store.h"
#include "platform/portable/ini_file_copy.h"
#include "platform/portable/memory_file_store.h"
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

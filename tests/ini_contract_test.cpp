// What the profile code relies on from INI access, run against every implementation: natively
// against the portable one, under Wine against the system's private-profile functions too.
#include "tests/ini_contract.h"

#include "base/ini_section.h"
#include "tests/test_support.h"

namespace orvelle::testing {
namespace {

const std::wstring kLongX(300, L'x');
const std::wstring kLongY(300, L'y');

std::wstring SampleFile() {
  return L"[S]\n"
         L"plain=value\n"
         L"  spaced =   padded value   \n"
         L"quoted=\"in quotes\"\n"
         L"single='single'\n"
         L"unbalanced=\"open\n"
         L"empty=\n"
         L"num=42\n"
         L"neg=-17\n"
         L"numtail=12abc\n"
         L"numquoted=\"5\"\n"
         L"long=" + kLongX + L"\n"
         L"longquoted=\"" + kLongY + L"\"\n"
         L"Upper=case\n"
         L"dup=first\n"
         L"dup=second\n"
         L"cyr=Привет, мир\n"
         L"\n"
         L"[Other]\n"
         L"x=1\n";
}

TEST_P(IniContract, ReadsLikeTheSystem) {
  TempFolder folder;
  const auto ini = GetParam().make();
  const std::wstring path = folder.WriteUtf16(L"read.ini", SampleFile());

  struct StringCase {
    std::wstring section, key, fallback, expected;
  } strings[] = {
      {L"S", L"plain", L"d", L"value"},
      {L"S", L"spaced", L"d", L"padded value"},
      {L"S", L"quoted", L"d", L"in quotes"},
      {L"S", L"single", L"d", L"single"},
      {L"S", L"unbalanced", L"d", L"\"open"},
      {L"S", L"missing", L"d", L"d"},
      {L"S", L"missing", L"", L""},
      {L"Nope", L"plain", L"d", L"d"},
      {L"S", L"long", L"", kLongX.substr(0, 259)},
      {L"S", L"longquoted", L"", kLongY.substr(0, 259)},
      {L"s", L"UPPER", L"", L"case"},
      {L"S", L"dup", L"", L"first"},
      {L"S", L"cyr", L"", L"Привет, мир"},
      {L"other", L"x", L"", L"1"},
  };
  const IniSection section(ini->ReadSection(path, L"S"));
  for (const StringCase& c : strings) {
    const std::string what(c.key.begin(), c.key.end());
    EXPECT_EQ(ini->ReadString(path, c.section, c.key, c.fallback), c.expected) << what;
    if (c.section == L"S") {
      EXPECT_EQ(section.String(c.key, c.fallback), c.expected) << "section read: " << what;
    }
  }
  EXPECT_EQ(section.LongString(L"long"), kLongX);
  EXPECT_EQ(section.LongString(L"longquoted"), kLongY);

  struct IntCase {
    std::wstring key;
    int fallback, expected;
  } ints[] = {
      {L"num", 0, 42},   {L"neg", 0, -17},      {L"numtail", 0, 12}, {L"numquoted", 0, 5},
      {L"plain", 9, 0},  {L"empty", 9, 9},      {L"missing", 9, 9},  {L"spaced", 3, 0},
  };
  for (const IntCase& c : ints) {
    const std::string what(c.key.begin(), c.key.end());
    EXPECT_EQ(ini->ReadInt(path, L"S", c.key, c.fallback), c.expected) << what;
    EXPECT_EQ(section.Int(c.key, c.fallback), c.expected) << "section read: " << what;
  }
  EXPECT_EQ(ini->ReadInt(folder.Path(L"absent.ini"), L"S", L"num", 7), 7);
  EXPECT_TRUE(ini->ReadSection(folder.Path(L"absent.ini"), L"S").empty());
}

TEST_P(IniContract, WritesLikeTheSystem) {
  TempFolder folder;
  const auto ini = GetParam().make();
  const std::wstring path = folder.Path(L"write.ini");

  // A new file and section; Cyrillic survives.
  ini->WriteString(path, L"A", L"one", L"Копировать");
  ini->WriteString(path, L"A", L"two", L"2");
  ini->WriteString(path, L"B", L"keep", L"me");
  EXPECT_EQ(ini->ReadString(path, L"A", L"one", L""), L"Копировать");

  // Replace in place, append at the end of the section, even with another section after it.
  ini->WriteString(path, L"a", L"ONE", L"Вставить");
  ini->WriteString(path, L"A", L"three", L"3");
  ini->WriteString(path, L"A", L"empty", L"");
  auto entries = ini->ReadSection(path, L"A");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].value, L"Вставить");
  EXPECT_EQ(entries[1].key, L"two");
  EXPECT_EQ(entries[2].key, L"three");
  EXPECT_EQ(entries[3].key, L"empty");
  EXPECT_EQ(ini->ReadString(path, L"A", L"empty", L"d"), L"");
  EXPECT_EQ(ini->ReadString(path, L"B", L"keep", L""), L"me");

  // A whole section replaced in order, then emptied; its neighbours stay.
  ini->WriteSection(path, L"A", {{L"z", L"26"}, {L"y", L"Масштаб +"}, {L"x", L"-1"}});
  entries = ini->ReadSection(path, L"A");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].key, L"z");
  EXPECT_EQ(entries[1].value, L"Масштаб +");
  EXPECT_EQ(ini->ReadInt(path, L"A", L"x", 0), -1);
  EXPECT_EQ(ini->ReadString(path, L"A", L"two", L"gone"), L"gone");
  ini->WriteSection(path, L"A", {});
  EXPECT_TRUE(ini->ReadSection(path, L"A").empty());
  EXPECT_EQ(ini->ReadString(path, L"B", L"keep", L""), L"me");
  ini->WriteString(path, L"A", L"again", L"1");
  EXPECT_EQ(ini->ReadInt(path, L"A", L"again", 0), 1);

  // A section that does not exist yet is created by a section write too.
  ini->WriteSection(path, L"C", {{L"c", L"Свернуть"}});
  EXPECT_EQ(ini->ReadString(path, L"C", L"c", L""), L"Свернуть");

  // A deleted key is gone and its neighbours stay; deleting one that never was changes nothing.
  ini->WriteString(path, L"C", L"gone", L"1");
  ini->DeleteKey(path, L"c", L"GONE");
  ini->DeleteKey(path, L"C", L"never");
  ini->DeleteKey(path, L"never", L"c");
  EXPECT_EQ(ini->ReadString(path, L"C", L"gone", L"absent"), L"absent");
  EXPECT_EQ(ini->ReadString(path, L"C", L"c", L""), L"Свернуть");

  // A deleted section is gone, header and all; its neighbours stay, and deleting it again or one
  // that never was changes nothing.
  ini->DeleteSection(path, L"b");
  ini->DeleteSection(path, L"B");
  ini->DeleteSection(path, L"never");
  EXPECT_EQ(ini->ReadString(path, L"B", L"keep", L"gone"), L"gone");
  EXPECT_EQ(ini->ReadInt(path, L"A", L"again", 0), 1);
  EXPECT_EQ(ini->ReadString(path, L"C", L"c", L""), L"Свернуть");

  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "files we create are UTF-16LE with a byte-order mark";
}

TEST_P(IniContract, ReadsAFileWithoutByteOrderMarkInTheLegacyCodePage) {
  // Bytes that are not UTF-8, as the program's older files hold Cyrillic names.
  TempFolder folder;
  const auto ini = GetParam().make();
  const std::string value = "caf\xE9 \xCA\xEE\xEF\xE8\xF0\xEE\xE2\xE0\xF2\xFC";
  const std::wstring path = folder.WriteBytes(L"ansi.ini", "[S]\r\nname=" + value + "\r\nnum=12\r\n");
  EXPECT_EQ(ini->ReadString(path, L"S", L"name", L""), GetParam().legacy(value));
  EXPECT_EQ(ini->ReadInt(path, L"S", L"num", 0), 12);
}

}  // namespace
}  // namespace orvelle::testing

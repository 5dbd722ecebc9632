#pragma once

#include <optional>
#include <utility>

#include "base/file_store.h"
#include "base/ini.h"
#include "platform/portable/disk_file_store.h"

namespace orvelle {

struct IniDocument;

// INI files parsed and edited by us, with the behaviour the private-profile functions show:
// sections and keys compared without regard to ASCII case, the first of duplicates wins, blanks
// and one pair of enclosing quotes stripped on read, a key replaced in place or appended at the
// end of its section. Files are decoded as DecodeFileText does, and every file written is
// UTF-16LE with a byte-order mark, the one form the system reads as Unicode.
class PortableIni final : public IniAccess {
 public:
  // Files on disk, the legacy code page taken as Latin-1.
  PortableIni() : PortableIni(DiskFiles()) {}
  explicit PortableIni(FileStore& files, LegacyDecoder legacy = nullptr) : files_(&files), legacy_(legacy) {}

  int ReadInt(const std::wstring& path, std::wstring_view section, std::wstring_view key,
              int fallback) override;
  std::wstring ReadString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                          std::wstring_view fallback) override;
  std::vector<IniEntry> ReadSection(const std::wstring& path, std::wstring_view section) override;
  void WriteString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value) override;
  void WriteSection(const std::wstring& path, std::wstring_view section,
                    const std::vector<IniEntry>& entries) override;
  void DeleteKey(const std::wstring& path, std::wstring_view section, std::wstring_view key) override;
  void DeleteSection(const std::wstring& path, std::wstring_view section) override;

  // True when a file that exists could not be read whole since the last call: its reads answered
  // with their fallbacks, and its writes were left undone rather than writing a file made of
  // nothing but the change over it.
  bool TakeUnreadable() { return std::exchange(unreadable_, false); }

 private:
  // The file's document; an empty one for a missing file, none for one that could not be read.
  std::optional<IniDocument> Load(const std::wstring& path);
  void Save(const std::wstring& path, const IniDocument& doc);

  FileStore* files_;
  LegacyDecoder legacy_;  // null: Latin-1
  bool unreadable_ = false;
};

}  // namespace orvelle

#include "model/profile_store.h"

#include "base/texts.h"
#include "model/profile_file.h"

namespace orvelle {
namespace {

// Where a file is created to learn whether the folder takes new files.
constexpr std::wstring_view kWriteCheckName = L"~orvelle-write-check.tmp";

bool HasKeys(const KeyTable& table) {
  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    if (IsSendableKeyCode(table.Entry(entry).keyCode)) return true;
  }
  return false;
}

}  // namespace

std::wstring KeptVersionMessage(const std::wstring& kept) {
  return std::wstring(Text(TextId::KeptVersionStart)) + kept + std::wstring(Text(TextId::KeptVersionNote));
}

std::optional<std::wstring> StartupMessage(const LoadReport& report) {
  std::wstring message;
  switch (report.layout) {
    case LayoutOutcome::Read:
      break;
    case LayoutOutcome::Missing:
      message = std::wstring(Text(TextId::LayoutMissing)) + std::wstring(Text(TextId::LayoutNote));
      break;
    case LayoutOutcome::Unreadable:
      message = std::wstring(Text(TextId::LayoutUnreadable)) + std::wstring(Text(TextId::LayoutNote));
      break;
    case LayoutOutcome::NoKeys:
      message = std::wstring(Text(TextId::LayoutNoKeys)) + std::wstring(Text(TextId::LayoutNote));
      break;
  }
  if (report.profiles == ReadOutcome::Unreadable) {
    if (!message.empty()) message += L"\n\n";
    message += report.profilesTooLarge ? Text(TextId::SetTooLarge) : Text(TextId::SetUnreadable);
    message += Text(TextId::SetDefaultsNote);
  }
  if (!report.folderWritable) {
    if (!message.empty()) message += L"\n\n";
    message += std::wstring(Text(TextId::FolderReadOnly)) + report.folder + std::wstring(Text(TextId::FolderReadOnlyNote));
  }
  if (message.empty()) return std::nullopt;
  return message;
}

ProfileStore::ProfileStore(FileStore& files, LegacyDecoder legacy, std::wstring folder)
    : files_(files), legacy_(legacy), folder_(std::move(folder)), profiles_(files, legacy, folder_ + L"set.ini") {}

LoadReport ProfileStore::Load(KeyTable& table, ProfileSet& set) {
  LoadReport report;
  IniFileCopy layout(files_, legacy_, layoutPath());
  switch (layout.Load()) {
    case ReadOutcome::Read:
      report.layout = LayoutOutcome::Read;
      break;
    case ReadOutcome::Missing:
      report.layout = LayoutOutcome::Missing;
      break;
    case ReadOutcome::Unreadable:
      report.layout = LayoutOutcome::Unreadable;
      break;
  }
  LoadLayout(layout.ini(), layout.path(), table);
  if (report.layout == LayoutOutcome::Read && !HasKeys(table)) report.layout = LayoutOutcome::NoKeys;

  report.profiles = profiles_.Load();
  report.profilesTooLarge = profiles_.tooLarge();
  LoadAllProfiles(profiles_.ini(), profiles_.path(), table, set);
  // A folder that refuses new files would fail every save; start-up says so once, precisely.
  report.folder = folder_;
  const std::wstring check = folder_ + std::wstring(kWriteCheckName);
  report.folderWritable = files_.Write(check, {});
  files_.Remove(check);
  writable_ = report.writable();
  return report;
}

SaveResult ProfileStore::Save(const KeyTable& table, const ProfileSet& set) {
  if (!writable_) return {SaveOutcome::NotWritable, {}};
  WriteAllProfiles(profiles_.ini(), profiles_.path(), table, set);
  if (!profiles_.Changed()) return {SaveOutcome::Unchanged, {}};
  const IniFileCopy::SaveReport saved = profiles_.Save(IniFileCopy::Backup::KeepPrevious);
  if (!saved) return {SaveOutcome::Failed, std::wstring(Text(TextId::SaveFailed)), saved.busy, saved.kept};
  return {SaveOutcome::Saved, {}, false, saved.kept};
}

}  // namespace orvelle

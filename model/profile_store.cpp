#include "model/profile_store.h"

#include "model/profile_file.h"

namespace orvelle {
namespace {

constexpr std::wstring_view kProfilesUnreadable =
    L"Не удалось прочитать файл set.ini. Возможно, он открыт в другой программе или к нему нет доступа.";
constexpr std::wstring_view kProfilesTooLarge =
    L"Файл set.ini слишком большой (больше 4 МБ): программа не может прочитать его целиком.";
constexpr std::wstring_view kProfilesConsequence =
    L"\n\nПрограмма работает с настройками по умолчанию. Изменения профилей не будут записаны в файл, "
    L"чтобы не затереть сохранённые настройки.";
constexpr std::wstring_view kFolderNotWritable =
    L"В папку программы нельзя записывать:\n";
constexpr std::wstring_view kFolderRemedy =
    L"\n\nТак бывает, когда архив с программой распакован в Program Files или папку защищает "
    L"контролируемый доступ к папкам. Изменения профилей не будут сохранены.\n\n"
    L"Установите программу её установщиком или перенесите папку программы туда, куда вы можете "
    L"записывать, например в «Документы».";
constexpr std::wstring_view kKeptVersion1 = L"Файл set.ini был изменён другой программой или вручную. "
                                            L"Эта его версия сохранена рядом с ним как\n";
constexpr std::wstring_view kKeptVersion2 =
    L"\n\nВ set.ini записаны профили, с которыми работает программа.";
// Where a file is created to learn whether the folder takes new files.
constexpr std::wstring_view kWriteCheckName = L"~orvelle-write-check.tmp";
constexpr std::wstring_view kLayoutMissing = L"Файл Main.ini не найден.";
constexpr std::wstring_view kLayoutUnreadable =
    L"Не удалось прочитать файл Main.ini. Возможно, он открыт в другой программе или к нему нет доступа.";
constexpr std::wstring_view kLayoutNoKeys = L"Файл Main.ini пуст или повреждён: в нём нет описания клавиш.";
constexpr std::wstring_view kLayoutConsequence =
    L"\n\nБез него программа не знает расположения клавиш. Изменения профилей не будут записаны в файл "
    L"set.ini, чтобы не затереть сохранённые настройки. Восстановите файл Main.ini в папке программы "
    L"или переустановите программу.";
constexpr std::wstring_view kSaveFailed =
    L"Не удалось сохранить настройки в файл set.ini. Возможно, файл защищён от записи, к папке программы "
    L"нет доступа или диск заполнен.\n\nПоследние изменения профилей не сохранены, файл остался прежним.";

bool HasKeys(const KeyTable& table) {
  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    if (IsSendableKeyCode(table.Entry(entry).keyCode)) return true;
  }
  return false;
}

}  // namespace

std::wstring KeptVersionMessage(const std::wstring& kept) {
  return std::wstring(kKeptVersion1) + kept + std::wstring(kKeptVersion2);
}

std::optional<std::wstring> StartupMessage(const LoadReport& report) {
  std::wstring message;
  switch (report.layout) {
    case LayoutOutcome::Read:
      break;
    case LayoutOutcome::Missing:
      message = std::wstring(kLayoutMissing) + std::wstring(kLayoutConsequence);
      break;
    case LayoutOutcome::Unreadable:
      message = std::wstring(kLayoutUnreadable) + std::wstring(kLayoutConsequence);
      break;
    case LayoutOutcome::NoKeys:
      message = std::wstring(kLayoutNoKeys) + std::wstring(kLayoutConsequence);
      break;
  }
  if (report.profiles == ReadOutcome::Unreadable) {
    if (!message.empty()) message += L"\n\n";
    message += report.profilesTooLarge ? kProfilesTooLarge : kProfilesUnreadable;
    message += kProfilesConsequence;
  }
  if (!report.folderWritable) {
    if (!message.empty()) message += L"\n\n";
    message += std::wstring(kFolderNotWritable) + report.folder + std::wstring(kFolderRemedy);
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
  if (!saved) return {SaveOutcome::Failed, std::wstring(kSaveFailed), saved.busy, saved.kept};
  return {SaveOutcome::Saved, {}, false, saved.kept};
}

}  // namespace orvelle

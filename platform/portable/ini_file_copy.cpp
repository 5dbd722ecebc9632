#include "platform/portable/ini_file_copy.h"

#include "platform/portable/text_codec.h"

namespace orvelle {
namespace {

const std::string kEmptyFile("\xFF\xFE");

std::wstring TwoDigits(int value) {
  return std::wstring{static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10)};
}

}  // namespace

std::wstring KeptVersionPath(const std::wstring& path, const FileStamp& stamp) {
  return path + L"." + TwoDigits(stamp.year / 100) + TwoDigits(stamp.year) + TwoDigits(stamp.month) +
         TwoDigits(stamp.day) + L"-" + TwoDigits(stamp.hour) + TwoDigits(stamp.minute) + TwoDigits(stamp.second) +
         L".bak";
}

ReadOutcome IniFileCopy::Load() {
  memory_.Clear();
  onDisk_.reset();
  tooLarge_ = false;
  std::string bytes;
  outcome_ = files_.Read(path_, bytes);
  if (outcome_ == ReadOutcome::Read && bytes.size() > maxBytes_) {
    // Half a file read as a whole one would be saved back as half a file.
    tooLarge_ = true;
    outcome_ = ReadOutcome::Unreadable;
  }
  if (outcome_ != ReadOutcome::Read) return outcome_;
  memory_.Put(path_, EncodeText(DecodeFileText(bytes, legacy_), TextEncoding::Utf16Le));
  onDisk_ = std::move(bytes);
  return outcome_;
}

bool IniFileCopy::Changed() const {
  const std::string* copy = memory_.Find(path_);
  if (!onDisk_) return copy != nullptr;
  return copy == nullptr ? *onDisk_ != kEmptyFile : *copy != *onDisk_;
}

bool IniFileCopy::Keep(const std::string& foreign, std::wstring& kept) {
  // Two versions kept within one second get names of their own.
  const std::wstring first = KeptVersionPath(path_, files_.Now());
  for (int attempt = 1; attempt <= 9; ++attempt) {
    const std::wstring name =
        attempt == 1 ? first : first.substr(0, first.size() - 4) + L"-" + TwoDigits(attempt).substr(1) + L".bak";
    std::string there;
    const ReadOutcome existing = files_.Read(name, there);
    if (existing == ReadOutcome::Read && there == foreign) {
      kept = name;
      return true;
    }
    if (existing != ReadOutcome::Missing) continue;
    std::string landed;
    if (!files_.Write(name, foreign) || files_.Read(name, landed) != ReadOutcome::Read || landed != foreign) {
      files_.Remove(name);
      return false;
    }
    kept = name;
    return true;
  }
  return false;
}

IniFileCopy::SaveReport IniFileCopy::Save(Backup backup) {
  SaveReport report;
  if (outcome_ == ReadOutcome::Unreadable || ini_.TakeUnreadable()) {
    outcome_ = ReadOutcome::Unreadable;
    return report;
  }
  const std::string* copy = memory_.Find(path_);
  const std::string& bytes = copy != nullptr ? *copy : kEmptyFile;

  // The file as it is now, against the one last read or written. A file that has appeared since
  // a read that found none (put back by the user while we ran) was never read either.
  std::string current;
  std::optional<std::string> foreign;
  switch (files_.Read(path_, current)) {
    case ReadOutcome::Read:
      if (current.size() > maxBytes_) return report;
      if (!onDisk_ || current != *onDisk_) foreign = std::move(current);
      break;
    case ReadOutcome::Missing:
      break;
    case ReadOutcome::Unreadable:
      report.busy = files_.LastFault() == FileFault::Busy;
      return report;
  }

  const std::wstring scratch = path_ + L".new";
  std::string landed;
  if (!files_.Write(scratch, bytes) || files_.Read(scratch, landed) != ReadOutcome::Read || landed != bytes) {
    report.busy = files_.LastFault() == FileFault::Busy;
    files_.Remove(scratch);
    return report;
  }
  if (foreign && !Keep(*foreign, report.kept)) {
    report.busy = files_.LastFault() == FileFault::Busy;
    files_.Remove(scratch);
    return report;
  }
  // Copying no file does nothing.
  if (backup == Backup::KeepPrevious) files_.Copy(path_, path_ + L".bak");
  if (!files_.Move(scratch, path_)) {
    report.busy = files_.LastFault() == FileFault::Busy;
    files_.Remove(scratch);
    return report;
  }
  onDisk_ = bytes;
  outcome_ = ReadOutcome::Read;
  report.saved = true;
  return report;
}

}  // namespace orvelle

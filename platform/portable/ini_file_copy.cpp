#include "platform/portable/ini_file_copy.h"

#include "platform/portable/text_codec.h"

namespace orvelle {
namespace {

const std::string kEmptyFile("\xFF\xFE");

}  // namespace

ReadOutcome IniFileCopy::Load() {
  memory_.Clear();
  onDisk_.reset();
  std::string bytes;
  outcome_ = files_.Read(path_, bytes);
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

bool IniFileCopy::Save(Backup backup) {
  if (outcome_ == ReadOutcome::Unreadable) return false;
  const std::string* copy = memory_.Find(path_);
  const std::string& bytes = copy != nullptr ? *copy : kEmptyFile;

  const std::wstring scratch = path_ + L".new";
  std::string landed;
  if (!files_.Write(scratch, bytes) || files_.Read(scratch, landed) != ReadOutcome::Read || landed != bytes) {
    files_.Remove(scratch);
    return false;
  }
  // Also when there was no file at the last read: one that has appeared since (put back by the
  // user while we ran) was never read, and is kept rather than lost. Copying no file does nothing.
  if (backup == Backup::KeepPrevious) files_.Copy(path_, path_ + L".bak");
  if (!files_.Move(scratch, path_)) {
    files_.Remove(scratch);
    return false;
  }
  onDisk_ = bytes;
  outcome_ = ReadOutcome::Read;
  return true;
}

}  // namespace orvelle

#include "platform/portable/memory_file_store.h"

namespace orvelle {

const std::string* MemoryFileStore::Find(const std::wstring& path) const {
  const auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

std::vector<std::wstring> MemoryFileStore::Paths() const {
  std::vector<std::wstring> paths;
  for (const auto& [path, bytes] : files_) paths.push_back(path);
  return paths;
}

void MemoryFileStore::Clear() {
  files_.clear();
  faults_.clear();
}

bool MemoryFileStore::Outcome(bool done, const std::wstring& path) {
  lastFault_ = done ? FileFault::None : Has(path, Fault::Busy) ? FileFault::Busy : FileFault::Other;
  return done;
}

ReadOutcome MemoryFileStore::Read(const std::wstring& path, std::string& bytes) {
  bytes.clear();
  const std::string* file = Find(path);
  if (file == nullptr) return ReadOutcome::Missing;
  if (Has(path, Fault::Unreadable) || Has(path, Fault::Busy) || file->size() > kMaxFileBytes) {
    Outcome(false, path);
    return ReadOutcome::Unreadable;
  }
  bytes = *file;
  return ReadOutcome::Read;
}

bool MemoryFileStore::Write(const std::wstring& path, std::string_view bytes) {
  if (Has(path, Fault::ReadOnly) || Has(path, Fault::Busy)) return Outcome(false, path);
  if (Has(path, Fault::WriteFails) || Has(path, Fault::WriteShort)) {
    files_[path] = std::string(bytes.substr(0, bytes.size() / 2));
    return Outcome(Has(path, Fault::WriteShort), path);
  }
  std::string& file = files_[path] = std::string(bytes);
  if (Has(path, Fault::WriteAltered) && !file.empty()) file.back() = static_cast<char>(file.back() ^ 0x20);
  return Outcome(true, path);
}

bool MemoryFileStore::Copy(const std::wstring& from, const std::wstring& to) {
  std::string bytes;
  if (Read(from, bytes) != ReadOutcome::Read) return false;
  if (Has(to, Fault::ReadOnly) || Has(to, Fault::CopyFails) || Has(to, Fault::Busy)) return Outcome(false, to);
  files_[to] = std::move(bytes);
  return Outcome(true, to);
}

bool MemoryFileStore::Move(const std::wstring& from, const std::wstring& to) {
  const auto it = files_.find(from);
  if (it == files_.end()) return Outcome(false, from);
  if (Has(to, Fault::ReadOnly) || Has(to, Fault::MoveFails) || Has(to, Fault::Busy)) return Outcome(false, to);
  if (from == to) return Outcome(true, to);
  std::string bytes = std::move(it->second);
  files_.erase(it);
  files_[to] = std::move(bytes);
  return Outcome(true, to);
}

bool MemoryFileStore::Remove(const std::wstring& path) {
  if (Has(path, Fault::ReadOnly) || Has(path, Fault::Busy)) return Outcome(Find(path) == nullptr, path);
  files_.erase(path);
  return Outcome(true, path);
}

}  // namespace orvelle

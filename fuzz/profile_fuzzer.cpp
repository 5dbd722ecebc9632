// Arbitrary bytes as "Main.ini" and "set.ini", through the layout and profile loaders, a save
// and a second load. The first two bytes give the length of the "Main.ini" part (little-endian);
// the rest is "set.ini". Files live in memory
// so that each run costs microseconds, not file-system round trips.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

#include "model/profile_file.h"
#include "platform/portable/portable_ini.h"

namespace {

class MemoryStorage final : public orvelle::PortableIni::Storage {
 public:
  bool Read(const std::wstring& path, std::string& bytes) override {
    const auto it = files_.find(path);
    if (it == files_.end()) return false;
    bytes = it->second;
    return true;
  }
  bool Write(const std::wstring& path, std::string_view bytes) override {
    files_[path] = std::string(bytes);
    return true;
  }
  bool Move(const std::wstring& from, const std::wstring& to) override {
    const auto it = files_.find(from);
    if (it == files_.end()) return false;
    files_[to] = std::move(it->second);
    files_.erase(from);
    return true;
  }
  void Remove(const std::wstring& path) override { files_.erase(path); }
  void Clear() { files_.clear(); }

 private:
  std::map<std::wstring, std::string> files_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvelle;
  if (size < 2) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  const size_t layoutLength = std::min<size_t>(data[0] | (data[1] << 8), bytes.size());

  static MemoryStorage storage;
  storage.Clear();
  storage.Write(L"Main.ini", bytes.substr(0, layoutLength));
  storage.Write(L"set.ini", bytes.substr(layoutLength));
  PortableIni ini(storage);

  KeyTable table;
  LoadLayout(ini, L"Main.ini", table);
  ProfileSet set;
  LoadAllProfiles(ini, L"set.ini", table, set);
  SaveAllProfiles(ini, L"set.ini", table, set);
  ProfileSet again;
  LoadAllProfiles(ini, L"set.ini", table, again);
  // What was saved loads back to the same macro tables and assigned keys.
  for (int n = 1; n <= 3; ++n) {
    if (again.Profile(n).macroSteps != set.Profile(n).macroSteps ||
        again.Profile(n).macroNames != set.Profile(n).macroNames ||
        again.Profile(n).assignedSlots != set.Profile(n).assignedSlots ||
        again.Profile(n).records != set.Profile(n).records) {
      __builtin_trap();
    }
  }
  return 0;
}

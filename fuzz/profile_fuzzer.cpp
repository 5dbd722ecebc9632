// Arbitrary bytes as "Main.ini" and "set.ini", through the layout and profile loaders, a save
// and a second load. The first two bytes give the length of the "Main.ini" part (little-endian);
// the rest is "set.ini". Files live in memory
// so that each run costs microseconds, not file-system round trips.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

#include "model/ini_section.h"
#include "model/profile_file.h"
#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"

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
  // What was saved loads back to the same macro tables, assigned keys and key-slot records. Slots
  // that share a key code share one group in the file, so only slots with a code of their own
  // must come back as they were; screen buttons are not part of the file.
  std::string savedBytes;
  storage.Read(L"set.ini", savedBytes);
  TextEncoding encoding;
  DecodeText(savedBytes, encoding);
  std::map<int, int> slotsPerCode;
  for (int entry = 1; entry <= kKeySlotCount; ++entry) ++slotsPerCode[table.Entry(entry).keyCode];
  for (int n = 1; n <= 3; ++n) {
    const ProfileData& saved = set.Profile(n);
    const ProfileData& loaded = again.Profile(n);
    if (loaded.macroSteps != saved.macroSteps || loaded.macroNames != saved.macroNames ||
        loaded.assignedSlots != saved.assignedSlots) {
      __builtin_trap();
    }
    for (int entry = 1; entry <= kKeySlotCount; ++entry) {
      const size_t i = static_cast<size_t>(entry - 1);
      if (slotsPerCode[table.Entry(entry).keyCode] != 1) continue;
      // Names come back as the file gives values back: in the file's encoding, without
      // surrounding blanks or quotes.
      KeyAssignment expected = saved.records[i];
      TextEncoding ignored;
      const std::wstring stored = DecodeText(EncodeText(expected.name, encoding), ignored);
      expected.name = ini_rules::StripQuotesAndCut(ini_rules::TrimBlanks(stored), ini_rules::kBufferChars);
      if (!(loaded.records[i] == expected)) __builtin_trap();
    }
  }
  return 0;
}

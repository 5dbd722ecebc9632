// Arbitrary bytes as "Main.ini" and "set.ini", through start-up, a save and a second start. The
// first two bytes give the length of the "Main.ini" part (little-endian); the rest is "set.ini".
// Files live in memory so that each run costs microseconds, not file-system round trips.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "base/ini_section.h"
#include "model/profile_store.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvelle;
  if (size < 2) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  const size_t layoutLength = std::min<size_t>(data[0] | (data[1] << 8), bytes.size());

  static MemoryFileStore files;
  files.Clear();
  const std::string original(bytes.substr(layoutLength));
  files.Put(L"Main.ini", std::string(bytes.substr(0, layoutLength)));
  files.Put(L"set.ini", original);

  KeyTable table;
  ProfileSet set;
  ProfileStore store(files, DecodeLatin1, L"");
  store.Load(table, set);
  const SaveResult saved = store.Save(table, set);
  if (files.Find(L"set.ini.new") != nullptr) __builtin_trap();
  if (!store.writable()) {
    // A layout that names no keys would erase every assignment: the file stays as it was.
    if (saved.outcome != SaveOutcome::NotWritable || *files.Find(L"set.ini") != original) __builtin_trap();
    return 0;
  }
  if (saved.outcome == SaveOutcome::Failed) __builtin_trap();

  KeyTable tableAgain;
  ProfileSet again;
  ProfileStore next(files, DecodeLatin1, L"");
  next.Load(tableAgain, again);
  // What was saved loads back to the same macro tables (timing included), assigned keys, key-slot
  // records (hold included) and key hold time. Slots that share a key code share one group in the
  // file, so only slots with a code of their own must come back as they were; screen buttons are
  // not part of the file.
  std::map<int, int> slotsPerCode;
  for (int entry = 1; entry <= kKeySlotCount; ++entry) ++slotsPerCode[table.Entry(entry).keyCode];
  if (again.activeProfile != set.activeProfile || again.tapMs != set.tapMs) __builtin_trap();
  if (set.tapMs < 0 || set.tapMs > kMaxTapMs) __builtin_trap();
  for (int n = 1; n <= 3; ++n) {
    const ProfileData& before = set.Profile(n);
    const ProfileData& loaded = again.Profile(n);
    if (loaded.macros.list != before.macros.list || loaded.assignedSlots != before.assignedSlots) __builtin_trap();
    // Whatever the file held, every macro has its waits (none, or one per step, each one a wait the
    // player may take) and a loop count it may play.
    for (const Macro& macro : before.macros.list) {
      if (!macro.delays.empty() && macro.delays.size() != macro.steps.size()) __builtin_trap();
      if (macro.steps.size() > static_cast<size_t>(kMaxMacroSteps)) __builtin_trap();
      for (int delay : macro.delays) {
        if (delay < 0 || delay > kMaxStepDelayMs) __builtin_trap();
      }
      if (macro.loops < 1 || macro.loops > kMaxMacroLoops) __builtin_trap();
    }
    for (int entry = 1; entry <= kKeySlotCount; ++entry) {
      const size_t i = static_cast<size_t>(entry - 1);
      const int code = table.Entry(entry).keyCode;
      if (slotsPerCode[code] != 1) continue;
      // Names come back as they were, blanks and quotes included.
      if (!(loaded.records[i] == before.records[i])) __builtin_trap();
      // Every real key sends something real: itself at least.
      const auto sends = loaded.keyMap.find(code);
      if (IsSendableKeyCode(code) && sends != loaded.keyMap.end()) {
        if (sends->second.empty()) __builtin_trap();
        for (int c : sends->second) {
          if (!IsSendableKeyCode(c)) __builtin_trap();
        }
      }
    }
  }
  return 0;
}

// One profile section read and written on its own, skipping the layout and the store around it:
// whatever a "Profile1" section holds, what is read of it is written so that it reads back the
// same. Every key slot has a key code of its own here, so each slot's record stands for itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/profile_file.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"

namespace {

orvelle::KeyTable MakeTable() {
  orvelle::KeyTable table;
  for (int entry = 1; entry <= orvelle::kKeySlotCount; ++entry) {
    orvelle::KeySlot& slot = table.slots[static_cast<size_t>(entry - 1)];
    slot.keyCode = entry + 10;
    slot.name = L"K" + std::to_wstring(entry);
  }
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvelle;
  static const KeyTable table = MakeTable();
  static MemoryFileStore files;
  files.Clear();
  files.Put(L"in.ini", std::string(reinterpret_cast<const char*>(data), size));
  PortableIni ini(files, DecodeLatin1);
  ProfileSet set;
  InitKeyMaps(set);
  LoadProfile(ini, L"in.ini", 1, table, set);
  SaveProfile(ini, L"out.ini", 1, table, set);
  ProfileSet again;
  InitKeyMaps(again);
  LoadProfile(ini, L"out.ini", 1, table, again);
  const ProfileData& before = set.Profile(1);
  const ProfileData& after = again.Profile(1);
  if (after.macros != before.macros || after.assignedSlots != before.assignedSlots) __builtin_trap();
  for (int slot = 0; slot < kKeySlotCount; ++slot) {
    if (!(after.records[static_cast<size_t>(slot)] == before.records[static_cast<size_t>(slot)])) __builtin_trap();
  }
  // What each key sends; a key without an entry sends itself.
  for (const KeySlot& slot : table.slots) {
    const auto sends = [&](const ProfileData& p) {
      const auto it = p.keyMap.find(slot.keyCode);
      return SequenceOrIdentity(slot.keyCode, it != p.keyMap.end() ? it->second : OutputSequence{});
    };
    if (sends(after) != sends(before)) __builtin_trap();
  }
  return 0;
}

// Start-up and save work on the program's files: the layout and three full profiles, read whole,
// parsed in memory and replaced in one step on disk.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "model/profile_file.h"
#include "model/profile_store.h"
#include "platform/portable/disk_file_store.h"
#include "platform/portable/text_codec.h"

namespace orvelle {
namespace {

KeyTable FullTable() {
  KeyTable table;
  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    KeySlot& slot = table.slots[static_cast<size_t>(entry - 1)];
    slot.keyCode = entry + 8;
    slot.name = L"Клавиша " + std::to_wstring(entry);
  }
  return table;
}

// 121 keys per profile, every third one assigned and every sixth held, 10 macros of 20 steps, the
// even ones timed and the odd ones looped.
ProfileSet FullProfiles(const KeyTable& table) {
  ProfileSet set;
  InitKeyMaps(set);
  set.tapMs = 10;
  for (int n = 1; n <= 3; ++n) {
    ProfileData& p = set.Profile(n);
    for (int m = 0; m < 10; ++m) {
      Macro& macro = p.macros.list.emplace_back();
      macro.name = L"Макрос " + std::to_wstring(m);
      for (int s = 0; s < 20; ++s) {
        macro.steps.push_back({1966080 + s, 65 + s % 26, (s + 1) % 2});
        if (m % 2 == 0) macro.delays.push_back(s * 37);
      }
      macro.loops = m % 2 == 0 ? 1 : m;
    }
    for (int entry = 1; entry <= kKeySlotCount; ++entry) {
      KeyAssignment& r = p.records[static_cast<size_t>(entry - 1)];
      r = entry % 3 == 0 ? KeyAssignment{L"Макрос " + std::to_wstring(entry % 10), AssignKind::Macro, entry % 10, entry % 6 == 0}
                         : KeyAssignment{table.Entry(entry).name, AssignKind::SingleKey, 0, false};
      if (entry % 3 == 0) p.assignedSlots.push_back(entry - 1);
      BuildOutputSequence(table.Entry(entry), r, table.Entry(entry).keyCode, table.media, p);
    }
  }
  set.working = set.Profile(1);
  return set;
}

// A folder with "Main.ini" for the table and no "set.ini" yet.
std::wstring BenchFolder(const KeyTable& table) {
  const auto folder = std::filesystem::temp_directory_path() / "orvelle-bench";
  std::filesystem::create_directories(folder);
  std::wstring layout = L"[BUTTONINFO]\r\n";
  for (int entry = 1; entry <= kKeySlotCount; ++entry) {
    const KeySlot& slot = table.Entry(entry);
    layout += std::to_wstring(entry) + L"=0,0,10,10," + std::to_wstring(slot.keyCode) + L"," + slot.name + L"\r\n";
  }
  const std::wstring path = FromUtf8((folder / "").string());
  DiskFiles().Write(path + L"Main.ini", EncodeText(layout, TextEncoding::Utf16Le));
  DiskFiles().Remove(path + L"set.ini");
  return path;
}

void BM_SaveAllProfiles(benchmark::State& state) {
  const KeyTable full = FullTable();
  ProfileSet set = FullProfiles(full);
  ProfileStore store(DiskFiles(), DecodeLatin1, BenchFolder(full));
  KeyTable table;
  ProfileSet loaded;
  store.Load(table, loaded);
  for (auto _ : state) {
    // A different active number each time, so that every save replaces the file.
    set.activeProfile = set.activeProfile % 3 + 1;
    if (store.Save(table, set).outcome != SaveOutcome::Saved) state.SkipWithError("save failed");
  }
}

void BM_LoadAllProfiles(benchmark::State& state) {
  const KeyTable full = FullTable();
  const ProfileSet saved = FullProfiles(full);
  const std::wstring folder = BenchFolder(full);
  {
    ProfileStore store(DiskFiles(), DecodeLatin1, folder);
    KeyTable table;
    ProfileSet set;
    store.Load(table, set);
    store.Save(table, saved);
  }
  KeyTable table;
  ProfileSet set;
  InitKeyMaps(set);
  for (auto _ : state) {
    ProfileStore store(DiskFiles(), DecodeLatin1, folder);
    store.Load(table, set);
    benchmark::DoNotOptimize(set.working.keyMap.size());
  }
  const ProfileData& loaded = set.Profile(2);
  const ProfileData& written = saved.Profile(2);
  if (loaded.macros != written.macros || loaded.records != written.records || set.tapMs != saved.tapMs) {
    state.SkipWithError("round trip lost data");
  }
}

BENCHMARK(BM_SaveAllProfiles)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadAllProfiles)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace orvelle

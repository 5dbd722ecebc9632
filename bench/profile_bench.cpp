// Start-up and shut-down work on the profile file: three full profiles through the portable INI.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "model/profile_file.h"
#include "platform/portable/portable_ini.h"
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

// 121 keys per profile, every third one assigned, 10 macros of 20 steps.
ProfileSet FullProfiles(const KeyTable& table) {
  ProfileSet set;
  InitKeyMaps(set);
  for (int n = 1; n <= 3; ++n) {
    ProfileData& p = set.Profile(n);
    for (int m = 0; m < 10; ++m) {
      MacroSteps steps;
      for (int s = 0; s < 20; ++s) steps.insert(steps.end(), {1966080 + s, 65 + s % 26, (s + 1) % 2});
      p.macroSteps.push_back(steps);
      p.macroNames.push_back(L"Макрос " + std::to_wstring(m));
    }
    for (int entry = 1; entry <= kKeySlotCount; ++entry) {
      KeyAssignment& r = p.records[static_cast<size_t>(entry - 1)];
      r = entry % 3 == 0 ? KeyAssignment{L"Макрос " + std::to_wstring(entry % 10), 1, entry % 10}
                         : KeyAssignment{table.Entry(entry).name, 0, 0};
      if (entry % 3 == 0) p.assignedSlots.push_back(entry - 1);
      BuildOutputSequence(table.Entry(entry), r, table.Entry(entry).keyCode, table.media, p);
    }
  }
  set.working = set.Profile(1);
  return set;
}

std::wstring BenchFile() {
  const auto path = std::filesystem::temp_directory_path() / "orvelle-bench-set.ini";
  return FromUtf8(path.string());
}

void BM_SaveAllProfiles(benchmark::State& state) {
  const KeyTable table = FullTable();
  ProfileSet set = FullProfiles(table);
  PortableIni ini;
  const std::wstring path = BenchFile();
  for (auto _ : state) SaveAllProfiles(ini, path, table, set);
}

void BM_LoadAllProfiles(benchmark::State& state) {
  const KeyTable table = FullTable();
  ProfileSet saved = FullProfiles(table);
  PortableIni ini;
  const std::wstring path = BenchFile();
  SaveAllProfiles(ini, path, table, saved);
  ProfileSet set;
  InitKeyMaps(set);
  for (auto _ : state) {
    LoadAllProfiles(ini, path, table, set);
    benchmark::DoNotOptimize(set.working.keyMap.size());
  }
  if (set.Profile(2).macroSteps != saved.Profile(2).macroSteps) state.SkipWithError("round trip lost data");
}

BENCHMARK(BM_SaveAllProfiles)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadAllProfiles)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace orvelle

// Arbitrary bytes as "Main.ini" and "set.ini", through the layout and profile loaders, a save
// and a second load. The first byte chooses where the input is cut in two.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "model/profile_file.h"
#include "model/profile_ops.h"
#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"

namespace {

std::wstring Folder() {
  static const std::wstring folder = [] {
    const auto path = std::filesystem::temp_directory_path() / ("orvelle-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return orvelle::FromUtf8(path.string()) + L"/";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvelle;
  if (size == 0) return 0;
  const size_t cut = 1 + (size - 1) * data[0] / 255;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::wstring layoutPath = Folder() + L"Main.ini";
  const std::wstring profilePath = Folder() + L"set.ini";
  WriteFileBytes(layoutPath, bytes.substr(1, cut - 1));
  WriteFileBytes(profilePath, bytes.substr(cut));

  PortableIni ini;
  KeyTable table;
  LoadLayout(ini, layoutPath, table);
  ProfileSet set;
  InitKeyMaps(set);
  LoadAllProfiles(ini, profilePath, table, set);
  SaveAllProfiles(ini, profilePath, table, set);
  ProfileSet again;
  InitKeyMaps(again);
  LoadAllProfiles(ini, profilePath, table, again);
  // What was saved loads back to the same profiles.
  for (int n = 1; n <= 3; ++n) {
    if (again.Profile(n).macroSteps != set.Profile(n).macroSteps ||
        again.Profile(n).assignedSlots != set.Profile(n).assignedSlots) {
      __builtin_trap();
    }
  }
  return 0;
}

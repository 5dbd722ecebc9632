// "Main.ini" and "Composite.ini" as anything a user or a skin maker may leave: read without a
// crash, and the rectangles' sizes and hit tests computed without overflow (the sanitizers watch).
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/key_table.h"
#include "platform/portable/memory_file_store.h"
#include "platform/portable/portable_ini.h"
#include "platform/portable/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvelle;
  static MemoryFileStore files;
  files.Clear();
  files.Put(L"layout.ini", std::string(reinterpret_cast<const char*>(data), size));
  PortableIni ini(files, DecodeLatin1);
  KeyTable table;
  LoadLayout(ini, L"layout.ini", table);
  int sum = 0;
  for (const KeySlot& slot : table.slots) {
    sum ^= slot.area.Width() ^ slot.area.Height() ^ (slot.area.Contains(Point{slot.area.left, slot.area.top}) ? 1 : 0);
  }
  for (const Rect& place : LoadCompositeLayout(ini, L"layout.ini")) sum ^= place.Width() ^ place.Height();
  static volatile int sink = 0;
  sink = sink ^ sum;
  return 0;
}

// The "Programs" section on its own: what is read of any entries is written back and read again
// as the same bindings, and never more than the section may hold.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "model/program_bindings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvelle;
  const ProgramBindings bindings = ReadBindings(fuzz::Entries(fuzz::Units(data, size)));
  if (bindings.size() > kMaxProgramBindings) __builtin_trap();
  if (ReadBindings(BindingEntries(bindings)) != bindings) __builtin_trap();
  return 0;
}

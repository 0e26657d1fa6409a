// libFuzzer harness for the readers of outside bytes: one source, built once per reader with
// KEELWAY_FUZZ_TARGET naming it (fuzz/CMakeLists.txt). What it does with an input is shared with
// the regression test (reader_input.h).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reader_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const kwfuzz::Folder folder;
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  if (!kwfuzz::ReadInput(KEELWAY_FUZZ_TARGET, data, folder)) __builtin_trap();
  return 0;
}

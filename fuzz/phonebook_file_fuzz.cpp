// The phonebook file's reader against any bytes of a file.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return verolink::fuzzing::RunFuzzInput("phonebook_file", data, size);
}

// The core's listing walk against a platform listing that answers anything.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return verolink::fuzzing::RunFuzzInput("listing", data, size);
}

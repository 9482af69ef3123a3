// The discovery helper's reading of PADO frames from the wire.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return verolink::fuzzing::RunFuzzInput("pado", data, size);
}

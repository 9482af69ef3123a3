// The entry image read back into a record, against any image at any entry size.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return verolink::fuzzing::RunFuzzInput("image_decoder", data, size);
}

#include "fuzz_targets.h"

#include <cstdio>
#include <cstdlib>

#include "host_phonebook_harness.h"
#include "listing_harness.h"
#include "pado_harness.h"

namespace verolink::fuzzing {

std::span<const FuzzTarget> FuzzTargets() {
  static constexpr FuzzTarget kTargets[] = {
      {"listing", RunListing},
      {"phonebook_file", RunPhonebookFile},
      {"image_decoder", RunImageDecoder},
      {"pado", RunPado},
  };
  return kTargets;
}

int RunFuzzInput(std::string_view target, const std::uint8_t* data, std::size_t size) {
  for (const FuzzTarget& t : FuzzTargets()) {
    if (t.name != target) continue;
    const std::string problem = t.run({data, size});
    if (problem.empty()) return 0;
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(target.size()), target.data(),
                 problem.c_str());
    std::abort();
  }
  std::fprintf(stderr, "no fuzz target %.*s\n", static_cast<int>(target.size()), target.data());
  std::abort();
}

}  // namespace verolink::fuzzing

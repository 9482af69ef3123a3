#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace verolink::fuzzing {

// One fuzz target: the code it drives with an input and the promises it
// checks. Its corpus lies in fuzz/corpus/<name>/, inputs that once broke it
// in fuzz/regressions/<name>/.
struct FuzzTarget {
  std::string_view name;
  std::string (*run)(std::span<const std::uint8_t> input);  // what went wrong, or empty
};

std::span<const FuzzTarget> FuzzTargets();

// libFuzzer's entry for one target: aborts with the problem, so the fuzzer
// keeps the input.
int RunFuzzInput(std::string_view target, const std::uint8_t* data, std::size_t size);

}  // namespace verolink::fuzzing

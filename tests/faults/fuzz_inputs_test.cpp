// Every input of the fuzz corpus, and every input that once broke a target,
// still keeps the target's promises.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_targets.h"

namespace verolink::fuzzing {
void PrintTo(const FuzzTarget& target, std::ostream* os) { *os << target.name; }
}  // namespace verolink::fuzzing

namespace {

namespace fs = std::filesystem;
using verolink::fuzzing::FuzzTarget;
using verolink::fuzzing::FuzzTargets;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> InputsOf(const FuzzTarget& target) {
  std::vector<fs::path> inputs;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path folder = fs::path(VEROLINK_FUZZ_INPUTS) / kind / std::string(target.name);
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  }
  return inputs;
}

class FuzzInputs : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzInputs, KeepEveryPromise) {
  const auto inputs = InputsOf(GetParam());
  ASSERT_FALSE(inputs.empty()) << "no corpus for " << GetParam().name;
  for (const fs::path& input : inputs) {
    const std::vector<std::uint8_t> bytes = ReadFile(input);
    EXPECT_EQ(GetParam().run(bytes), "") << input;
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs,
                         ::testing::ValuesIn(FuzzTargets().begin(), FuzzTargets().end()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

#pragma once

// What the phonebook benchmarks share: the phonebook sizes they run at and
// the provider's profile whose entry they write.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "start/profile.h"

namespace verolink::bench {

inline constexpr std::uint32_t kEntrySize = 2884;

// Phonebooks of 10, 100 and 1,000 entries, timed by the wall clock in ms.
inline void EntryCounts(benchmark::internal::Benchmark* b) {
  for (int count : {10, 100, 1000}) b->Arg(count);
  b->UseRealTime()->Unit(benchmark::kMillisecond);
}

inline const Profile& ProviderProfile() {
  static const Profile profile = basMain::BuiltInProfile();
  return profile;
}

}  // namespace verolink::bench

#pragma once

// What the phonebook benchmarks share: the phonebook sizes they run at, the
// provider's profile whose entry they write, and the two presses they time.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "phonebook/set_ras_entry.h"
#include "pppoe/pppoe_entry.h"
#include "start/profile.h"
#include "window/entry_exists.h"

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

// Writes the provider's entry (SetRasEntry); whether that succeeded.
inline bool WriteEntry(Platform& platform) {
  static const RasEntryRecord record = PPPoE::PPPoEEntryRecord(ProviderProfile());
  return modRASVPN::SetRasEntry(platform, ProviderProfile().ConnectionName, record, Text()) ==
         kRasSuccess;
}

// The name looked for is not listed: the whole listing is walked.
inline bool CheckEntry(Platform& platform) {
  return !EntryExists(platform, ProviderProfile().ConnectionName);
}

}  // namespace verolink::bench

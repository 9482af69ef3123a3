// Building the entry image and writing it through SetRasEntry, for every
// entry size the platform may report.
#include <benchmark/benchmark.h>

#include "doubles/fake_platform.h"
#include "phonebook/set_ras_entry.h"
#include "pppoe/pppoe_entry.h"
#include "start/profile.h"

namespace {

using namespace verolink;

// The entry sizes of the platform's successive layouts.
void EntrySizes(benchmark::internal::Benchmark* b) {
  for (int size : {1672, 1768, 1796, 2088, 2884}) b->Arg(size);
}

RasEntryRecord BenchRecord() {
  RasEntryRecord record = PPPoE::PPPoEEntryRecord(basMain::BuiltInProfile());
  record.AlternateNumbers = u"8-800-555-35-35";
  record.szDnsSuffix = u"verolink.example";
  return record;
}

void BM_BuildEntryImage(benchmark::State& state) {
  const RasEntryRecord record = BenchRecord();
  const testing::FakeCodePage codePage;
  const auto size = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    auto image = modRASVPN::BuildEntryImage(record, size, codePage);
    benchmark::DoNotOptimize(image.data());
  }
}
BENCHMARK(BM_BuildEntryImage)->Apply(EntrySizes);

void BM_SetRasEntry(benchmark::State& state) {
  testing::FakePlatform fake;
  fake.phonebook.reportedEntrySize = static_cast<std::uint32_t>(state.range(0));
  fake.phonebook.recordWrites = false;
  fake.phonebook.addWrittenEntries = false;
  Platform platform = fake.platform();
  const RasEntryRecord record = BenchRecord();
  const Text name = basMain::BuiltInProfile().ConnectionName;
  for (auto _ : state) {
    if (modRASVPN::SetRasEntry(platform, name, record, Text()) != kRasSuccess) {
      state.SkipWithError("write refused");
      break;
    }
    fake.log.clear();  // the doubles log a line per call
  }
}
BENCHMARK(BM_SetRasEntry)->Apply(EntrySizes);

}  // namespace

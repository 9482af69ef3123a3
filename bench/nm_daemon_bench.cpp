// The NetworkManager phonebook against a running daemon that holds
// $VEROLINK_BENCH_NM_CONNECTIONS connections, on $DBUS_SYSTEM_BUS_ADDRESS
// (scripts/bench-networkmanager.sh starts a private one for each count): the
// existence check (EntryExists; the name looked for is not there, so the
// whole listing is walked) and one write (SetRasEntry; the connection is
// deleted again with the clock stopped). Each in two cases:
//   Steady: one connection to the daemon, as in a running program.
//   Cold: connecting first, as at the first press after the start; libnm
//     then loads every connection the daemon holds.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "doubles/fake_platform.h"
#include "host/phonebook/nm_phonebook.h"
#include "host/phonebook/phonebook_choice.h"
#include "host/system/host_code_page.h"
#include "phonebook_bench_support.h"

namespace verolink::bench {
namespace {

class FixedLogin : public host::LoginPrompt {
 public:
  std::optional<host::LoginAnswer> AskLogin(const host::LoginRequest&) override {
    return host::LoginAnswer{"subscriber-7", {}};
  }
};

class NmPhonebookAtHand {
 public:
  // Connects anew; whether the daemon answered.
  bool Connect() {
    std::string reason;
    auto daemon = host::NmDaemon::Connect(host::kNmTimeout, reason);
    if (!daemon) return false;
    phonebook_ =
        std::make_unique<host::NmPhonebook>(std::move(daemon), kEntrySize, codePage_, prompt_);
    return true;
  }
  Platform platform() { return fake_.platformWith(*phonebook_, codePage_); }
  host::NmPhonebook& phonebook() { return *phonebook_; }

 private:
  testing::FakePlatform fake_;
  host::HostCodePage codePage_{host::kDefaultCodePageName};
  FixedLogin prompt_;
  std::unique_ptr<host::NmPhonebook> phonebook_;
};

enum class Start { Steady, Cold };

void Presses(benchmark::State& state, Start start, const std::function<bool(Platform&)>& press,
             bool written) {
  NmPhonebookAtHand nm;
  if (!nm.Connect()) {
    state.SkipWithError("NetworkManager does not answer on the system bus");
    return;
  }
  const std::string name = ToUtf8(ProviderProfile().ConnectionName);
  for (auto _ : state) {
    if (start == Start::Cold && !nm.Connect()) {
      state.SkipWithError("NetworkManager stopped answering");
      break;
    }
    Platform platform = nm.platform();
    if (!press(platform)) {
      state.SkipWithError("unexpected result");
      break;
    }
    if (written) {
      state.PauseTiming();
      nm.phonebook().DeleteEntry(name);
      state.ResumeTiming();
    }
  }
}

// The count of connections the daemon holds, as the benchmarks' argument.
void DaemonCount(benchmark::internal::Benchmark* b) {
  const char* count = std::getenv("VEROLINK_BENCH_NM_CONNECTIONS");
  b->Arg(count == nullptr ? 0 : std::atoi(count));
  b->UseRealTime()->Unit(benchmark::kMillisecond);
}

void BM_NmEntryExists_Steady(benchmark::State& s) { Presses(s, Start::Steady, CheckEntry, false); }
BENCHMARK(BM_NmEntryExists_Steady)->Apply(DaemonCount);
void BM_NmEntryExists_Cold(benchmark::State& s) { Presses(s, Start::Cold, CheckEntry, false); }
BENCHMARK(BM_NmEntryExists_Cold)->Apply(DaemonCount);
void BM_NmWrite_Steady(benchmark::State& s) { Presses(s, Start::Steady, WriteEntry, true); }
BENCHMARK(BM_NmWrite_Steady)->Apply(DaemonCount);
void BM_NmWrite_Cold(benchmark::State& s) { Presses(s, Start::Cold, WriteEntry, true); }
BENCHMARK(BM_NmWrite_Cold)->Apply(DaemonCount);

}  // namespace
}  // namespace verolink::bench

// PPPoE discovery as the program runs it before asking for the card
// (host::DiscoverCards with the helper as built), on two cards at once, in a
// private network namespace: eth0 to a LAN where nothing answers and eth1 to
// rp-pppoe's pppoe-server for the service "pelkar" (ConcentratorAnswers), or
// eth0 and eth2, where nothing answers on either (NothingAnswers). Needs root
// (a network namespace of its own, veth cards) and pppoe-server; says so and
// measures nothing without them.
#include <benchmark/benchmark.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "host/phonebook/card_discovery.h"

namespace verolink::bench {
namespace {

constexpr std::chrono::milliseconds kLimit{3000};

// The cards and the concentrator, set up once; empty when ready, else why not.
const std::string& Network() {
  static pid_t server = 0;
  static const std::string problem = [] {
    if (::geteuid() != 0) return std::string("needs root for a network namespace of its own");
    if (::unshare(CLONE_NEWNET) != 0) return std::string("cannot make a network namespace");
    if (std::system("ip link set lo up && "
                    "ip link add eth0 type veth peer name lan0 && "
                    "ip link add eth1 type veth peer name ac0 && "
                    "ip link add eth2 type veth peer name lan2 && "
                    "for card in eth0 lan0 eth1 ac0 eth2 lan2; do ip link set $card up; done") != 0)
      return std::string("cannot make the veth cards (ip)");
    server = ::fork();
    if (server == 0) {
      ::execlp("pppoe-server", "pppoe-server", "-F", "-I", "ac0", "-S", "pelkar", "-C", "bench-ac",
               "-N", "1", nullptr);
      ::_exit(127);
    }
    std::atexit([] {
      ::kill(server, SIGTERM);
      ::waitpid(server, nullptr, 0);
    });
    // The server answers once it listens; one discovery waits for that.
    for (int i = 0; i < 20; ++i) {
      if (!host::DiscoverCards(VEROLINK_DISCOVERY_HELPER_PROGRAM, {"eth1"}, "pelkar", kLimit)
               .at("eth1")
               .acNames.empty())
        return std::string();
    }
    return std::string("pppoe-server does not answer (is it installed?)");
  }();
  return problem;
}

void Discover(benchmark::State& state, const std::string& second, bool answers) {
  if (!Network().empty()) {
    state.SkipWithError(Network().c_str());
    return;
  }
  for (auto _ : state) {
    const auto reports =
        host::DiscoverCards(VEROLINK_DISCOVERY_HELPER_PROGRAM, {"eth0", second}, "pelkar", kLimit);
    if (reports.at(second).acNames.empty() == answers) state.SkipWithError("unexpected answer");
  }
}

void BM_Discovery_ConcentratorAnswers(benchmark::State& state) { Discover(state, "eth1", true); }
void BM_Discovery_NothingAnswers(benchmark::State& state) { Discover(state, "eth2", false); }

BENCHMARK(BM_Discovery_ConcentratorAnswers)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Discovery_NothingAnswers)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace verolink::bench

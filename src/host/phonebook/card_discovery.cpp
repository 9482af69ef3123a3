#include "host/phonebook/card_discovery.h"

#include <glib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "pppoe/discovery_report.h"

namespace verolink::host {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kAfterAnAnswer{250};

// One helper started, and what it has printed so far.
struct Probe {
  std::string card;
  GPid pid = 0;
  int out = -1;  // its standard output; -1 once read to the end
  std::string printed;
};

Probe Start(const std::string& helper, const std::string& card, const std::string& service) {
  Probe probe;
  probe.card = card;
  const char* argv[] = {helper.c_str(), card.c_str(), service.c_str(), nullptr};
  GError* error = nullptr;
  if (!g_spawn_async_with_pipes(nullptr, const_cast<char**>(argv), nullptr,
                                G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &probe.pid, nullptr,
                                &probe.out, nullptr, &error)) {
    std::fprintf(stderr, "verolink: PPPoE discovery on %s: %s\n", card.c_str(), error->message);
    g_error_free(error);
    probe.out = -1;
    probe.pid = 0;
  }
  return probe;
}

}  // namespace

std::string DiscoveryHelperPath() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return (self.parent_path() / "verolink-pppoe-discover").string();
}

std::map<std::string, PPPoE::DiscoveryReport> DiscoverCards(const std::string& helper,
                                                            const std::vector<std::string>& cards,
                                                            const std::string& service,
                                                            std::chrono::milliseconds limit) {
  Clock::time_point deadline = Clock::now() + limit;
  std::vector<Probe> probes;
  for (const std::string& card : cards) probes.push_back(Start(helper, card, service));
  for (;;) {
    std::vector<pollfd> open;
    std::vector<Probe*> reading;
    for (Probe& probe : probes) {
      if (probe.out < 0) continue;
      open.push_back({probe.out, POLLIN, 0});
      reading.push_back(&probe);
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (open.empty() || left.count() <= 0) break;
    if (::poll(open.data(), open.size(), static_cast<int>(left.count())) < 0) break;
    for (std::size_t i = 0; i < open.size(); ++i) {
      if (open[i].revents == 0) continue;
      char buffer[512];
      const ssize_t got = ::read(open[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        reading[i]->printed.append(buffer, static_cast<std::size_t>(got));
      } else {
        ::close(open[i].fd);
        reading[i]->out = -1;
        // Concentrators answer within milliseconds: once one has, the
        // others' cards get a moment more, not the whole time.
        const PPPoE::DiscoveryReport heard = PPPoE::ParseDiscoveryReport(reading[i]->printed);
        if (heard.ran && !heard.acNames.empty())
          deadline = std::min(deadline, Clock::now() + kAfterAnAnswer);
      }
    }
  }
  std::map<std::string, PPPoE::DiscoveryReport> reports;
  for (Probe& probe : probes) {
    const bool finished = probe.out < 0;
    if (!finished) {
      ::close(probe.out);
      ::kill(probe.pid, SIGKILL);
    }
    int status = 0;
    if (probe.pid > 0) ::waitpid(probe.pid, &status, 0);
    g_spawn_close_pid(probe.pid);
    reports[probe.card] =
        finished ? PPPoE::ParseDiscoveryReport(probe.printed) : PPPoE::DiscoveryReport{};
  }
  return reports;
}

}  // namespace verolink::host

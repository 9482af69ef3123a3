// A writer killed at any moment of a write, not only at the test point
// between the new file and its rename: the phonebook keeps every entry whose
// write had been reported done, and stays readable.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <set>

#include "host_backed_platform.h"
#include "host_test_support.h"
#include "phonebook/set_ras_entry.h"
#include "pppoe/pppoe_entry.h"

namespace verolink::faults {
namespace {

using host::testing::StartChild;
using host::testing::TempFolder;
using host::testing::WaitChild;

Text NameOf(int i) { return u"Entry " + ToDecimal(i); }

constexpr int kReady = -1;

// Writes entries first, first + 1, ... through SetRasEntry, telling the
// parent kReady before the first and each number once its write has returned
// success. Ends only when killed (or, with exit code 1, when a write fails).
int WriteUntilKilled(const std::string& path, int first, int reportFd) {
  HostBackedPlatform host(path);
  Platform platform = host.platform();
  const RasEntryRecord record = PPPoE::PPPoEEntryRecord(basMain::BuiltInProfile());
  if (write(reportFd, &kReady, sizeof kReady) != sizeof kReady) return 2;
  for (int i = first;; ++i) {
    if (modRASVPN::SetRasEntry(platform, NameOf(i), record, Text()) != kRasSuccess) return 1;
    if (write(reportFd, &i, sizeof i) != sizeof i) return 2;
  }
}

TEST(KilledWriter, EveryReportedEntrySurvivesKillsAtRandomMoments) {
  constexpr int kRounds = 25;
  constexpr int kMostRounds = 200;
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  // Kills land anywhere in the first few writes. A busy machine writes more
  // slowly, so a round that saw no write done widens the window (up to 1 s):
  // the test then still kills mid-write, not always before the first one.
  int mostDelayUs = 15000;

  TempFolder folder;
  const std::string path = folder / "phonebook.pbk";
  std::set<Text> done;   // reported written
  std::set<Text> maybe;  // being written when the writer was killed
  int next = 0;
  int round = 0;
  for (; round < kMostRounds && (round < kRounds || done.size() < kRounds / 2); ++round) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const int pid = StartChild([&] {
      close(fds[0]);
      return WriteUntilKilled(path, next, fds[1]);
    });
    close(fds[1]);
    int ready = 0;
    ASSERT_EQ(read(fds[0], &ready, sizeof ready), static_cast<ssize_t>(sizeof ready));
    usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, mostDelayUs)(random)));
    kill(pid, SIGKILL);
    ASSERT_EQ(WaitChild(pid), 128 + SIGKILL) << "the writer stopped on its own";

    int last = next - 1;
    for (int i; read(fds[0], &i, sizeof i) == sizeof i; last = i) done.insert(NameOf(i));
    close(fds[0]);
    if (last < next) mostDelayUs = std::min(2 * mostDelayUs, 1000000);
    maybe.insert(NameOf(last + 1));
    next = last + 2;  // a new name for every write, whether the cut one landed or not

    HostBackedPlatform reader(path);
    const std::vector<Text> listed = reader.Listed();
    ASSERT_TRUE(reader.fake.eventLog.errors.empty())
        << "the listing failed after round " << round << ": "
        << ToUtf8(reader.fake.eventLog.errors[0]);
    const std::set<Text> names(listed.begin(), listed.end());
    for (const Text& name : done) ASSERT_TRUE(names.count(name)) << ToUtf8(name) << " lost";
    for (const Text& name : names) {
      ASSERT_TRUE(done.count(name) || maybe.count(name)) << ToUtf8(name) << " never written";
    }
  }
  // Kills that all land before the first write would prove little.
  EXPECT_GE(done.size(), static_cast<std::size_t>(kRounds / 2))
      << "only " << done.size() << " writes done in " << round << " rounds";
}

}  // namespace
}  // namespace verolink::faults

#include "host/phonebook/card_discovery.h"

#include <glib.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "host_test_support.h"

namespace verolink::host {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::TempFolder;
using Clock = std::chrono::steady_clock;

// Every card's helper runs at once; what each printed is read back. Helpers
// still running at the limit, or a moment after another card's answer, are
// stopped; they, and ones that fail or cannot start, count as not listening.
TEST(CardDiscovery, AllCardsAtOnceStoppedAtTheLimitOrSoonAfterAnAnswer) {
  TempFolder folder;
  const std::string helper = folder / "discover";
  testing::WriteScript(helper, R"(case "$1" in
  eth0) sleep 0.3; echo "offer 02:00:00:00:00:ac verolink-ac"; echo done ;;
  eth1) echo done ;;
  eth2) exec sleep 30 ;;
  eth3) echo "offer 02:00:00:00:00:ac half"; echo "no permission" >&2; exit 2 ;;
esac)");
  const std::chrono::seconds limit(3);
  Clock::time_point start = Clock::now();
  const auto answered = DiscoverCards(helper, {"eth0", "eth1", "eth2"}, "pelkar", limit);
  EXPECT_LT(Clock::now() - start, limit) << "the silent card was not waited for after the answer";
  ASSERT_EQ(answered.size(), 3u);
  EXPECT_TRUE(answered.at("eth0").ran);
  EXPECT_THAT(answered.at("eth0").acNames, ElementsAre("verolink-ac"));
  EXPECT_TRUE(answered.at("eth1").ran);
  EXPECT_THAT(answered.at("eth1").acNames, IsEmpty());
  EXPECT_FALSE(answered.at("eth2").ran);

  start = Clock::now();
  const auto silent = DiscoverCards(helper, {"eth1", "eth2", "eth3"}, "pelkar", limit);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, limit) << "with no answer, the slow helper was waited for until the limit";
  EXPECT_LT(took, limit + std::chrono::seconds(1)) << "and stopped there";
  EXPECT_TRUE(silent.at("eth1").ran);
  EXPECT_FALSE(silent.at("eth2").ran);
  EXPECT_FALSE(silent.at("eth3").ran) << "a helper that failed did not listen";

  const auto missing = DiscoverCards(folder / "none", {"eth0"}, "pelkar", limit);
  EXPECT_FALSE(missing.at("eth0").ran);
}

// The real helper as built, without its capability: one line says so, and
// the program takes it as discovery that could not run.
TEST(CardDiscovery, HelperWithoutItsCapabilitySaysSoInOneLine) {
  // The build may lie in a folder only its owner may enter (a home of mode
  // 0700): the user without root runs a copy from a folder of its own.
  TempFolder folder;
  ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
  const std::string helper = folder / "verolink-pppoe-discover";
  std::filesystem::copy_file(VEROLINK_DISCOVERY_HELPER_PROGRAM, helper);
  const int result = testing::RunWithoutRoot([&helper] {
    const char* argv[] = {helper.c_str(), "lo", "pelkar", nullptr};
    char* out = nullptr;
    char* err = nullptr;
    int status = 0;
    if (!g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                      &out, &err, &status, nullptr))
      return 10;
    const std::string said = err;
    const bool oneLine = said.find("CAP_NET_RAW") != std::string::npos &&
                         said.find('\n') == said.size() - 1 && std::string(out).empty();
    const bool refused = WIFEXITED(status) && WEXITSTATUS(status) == 2;
    const auto reports = DiscoverCards(helper, {"lo"}, "pelkar", std::chrono::seconds(3));
    return (oneLine ? 0 : 1) + (refused ? 0 : 2) + (reports.at("lo").ran ? 4 : 0);
  });
  EXPECT_EQ(result, 0) << "1: not one line naming CAP_NET_RAW; 2: not exit status 2; "
                          "4: taken as discovery that ran";

  const char* badCard[] = {VEROLINK_DISCOVERY_HELPER_PROGRAM, "lo;reboot", "pelkar", nullptr};
  const char* badService[] = {VEROLINK_DISCOVERY_HELPER_PROGRAM, "lo", "pel\nkar", nullptr};
  for (const char** argv : {badCard, badService}) {
    int status = 0;
    ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr,
                             GSpawnFlags(G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
                             nullptr, nullptr, nullptr, nullptr, &status, nullptr));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 64) << argv[1];
  }
}

}  // namespace
}  // namespace verolink::host

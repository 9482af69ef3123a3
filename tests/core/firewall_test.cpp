#include "desktop/firewall.h"

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"

namespace verolink {
namespace {

using testing::CallLog;
using testing::FakePlatform;

constexpr char kDisable[] = "netsh firewall set opmode disable";
constexpr char kEnable[] = "netsh firewall set opmode enable";

void Restart(FakePlatform& fake) {
  Platform platform = fake.platform();
  IpFw::RestartFirewall(platform);
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST(RestartFirewall, EnablesOnlyAfterTheDisablingCommandHasEndedWithTheWindowAlive) {
  FakePlatform fake;
  Restart(fake);
  EXPECT_EQ(fake.log, (CallLog{std::string("Start:") + kDisable, std::string("Wait:") + kDisable,
                               "PumpEventsFor:30000", std::string("Start:") + kEnable}));
  ASSERT_EQ(fake.processes.starts.size(), 2u);
  EXPECT_EQ(fake.processes.starts[0].windowStyle, kWindowHidden);
  EXPECT_EQ(fake.processes.starts[1].windowStyle, kWindowHidden);
  EXPECT_EQ(fake.processes.waits, std::vector<std::chrono::milliseconds>{IpFw::kDisableWait});
}

TEST(RestartFirewall, NeverEndingDisableStillLetsEnableRunAfterTheBoundedWait) {
  FakePlatform fake;
  fake.processes.processesEndInTime = false;
  Restart(fake);
  EXPECT_EQ(fake.log.back(), std::string("Start:") + kEnable);
  EXPECT_EQ(fake.processes.waits.size(), 1u);
}

TEST(RestartFirewall, CommandsThatCannotStartArePassedOver) {
  FakePlatform fake;
  fake.processes.unstartable = {IpFw::kFirewallDisable};
  Restart(fake);
  EXPECT_EQ(fake.log, (CallLog{std::string("Start:") + kDisable, std::string("Start:") + kEnable}));

  FakePlatform none;
  none.processes.unstartable = {IpFw::kFirewallDisable, IpFw::kFirewallEnable};
  Restart(none);
  EXPECT_TRUE(none.processes.starts.empty());
}

}  // namespace
}  // namespace verolink

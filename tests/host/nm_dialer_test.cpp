// The connect window's dialer where NetworkManager cannot be reached.
#include "host/connect/nm_dialer.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "host_test_support.h"

namespace verolink::host {
namespace {

using namespace host::testing;

TEST(NmDialer, NoDaemonOnTheBusIsTheNoAnswerReason) {
  TempFolder folder;
  // A process of its own: GDBus keeps the system bus for the process.
  EXPECT_EQ(RunInChild([&] {
              setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + folder / "no-bus").c_str(), 1);
              connect::Failure failure = connect::Failure::kOther;
              std::string reason;
              const auto dialer = NmDialer::Connect(std::chrono::seconds(5), failure, reason);
              return dialer == nullptr && failure == connect::Failure::kNoManager && !reason.empty()
                         ? 0
                         : 1;
            }),
            0);
}

}  // namespace
}  // namespace verolink::host

// NetworkManager itself loads what the phonebook writes and forgets what it
// deletes, told by the phonebook's own reload request: a real daemon in a
// private network and mount namespace with a private system bus
// (scripts/nm-private-daemon.sh), never the machine's own.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "nm_test_support.h"

namespace verolink::faults {
namespace {

using namespace host::testing;

const std::string kDaemon = std::string(VEROLINK_SOURCE_DIR) + "/scripts/nm-private-daemon.sh";

// Whether `nmcli connection show` comes to list (or no longer list) `name`
// within ten seconds.
bool DaemonShows(const std::string& name, bool shown) {
  const std::string command =
      "nmcli -t -f NAME connection show 2>/dev/null | grep -qxF '" + name + "'";
  for (int i = 0; i < 100; ++i) {
    if ((std::system(command.c_str()) == 0) == shown) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

TEST(NmDaemon, LoadsTheWrittenConnectionAndDropsTheDeletedOneAfterTheReloadRequest) {
  ASSERT_EQ(std::system("command -v NetworkManager >/dev/null && command -v dbus-daemon "
                        ">/dev/null && command -v nmcli >/dev/null"),
            0)
      << "NetworkManager, dbus-daemon or nmcli is not installed, so no daemon can load the "
         "keyfiles; install network-manager (scripts/install-deps.sh)";
  TempFolder work;
  const std::string connections = work / "connections";
  const int result = RunInChild([&] {
    // The daemon's network, mounts and bus are this child's alone.
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0) return 10;
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 11;
    if (std::system(("mkdir -p '" + connections + "'").c_str()) != 0) return 12;
    if (std::system(
            ("'" + kDaemon + "' start '" + work.path() + "' '" + connections + "'").c_str()) != 0) {
      return 13;
    }
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + work / "system_bus_socket").c_str(), 1);
    ScriptedLoginPrompt prompt;
    host::NmPhonebook phonebook(connections, 2884, Cp1251(), prompt, host::RequestConnectionReload);
    int code = 0;
    const auto image = ProviderEntryImage();
    if (phonebook.SetEntryProperties(std::nullopt, "Pelkar INTERNET", image, 2884) != 0) {
      code = 14;
    } else if (!DaemonShows("Pelkar INTERNET", true)) {
      code = 15;
    } else if (phonebook.DeleteEntry("Pelkar INTERNET") != 0) {
      code = 16;
    } else if (!DaemonShows("Pelkar INTERNET", false)) {
      code = 17;
    }
    std::system(("'" + kDaemon + "' stop '" + work.path() + "'").c_str());
    return code;
  });
  EXPECT_EQ(result, 0) << "10-13: the private daemon could not be started (see " << work / "nm.log"
                       << "); 14: the write failed; 15: NetworkManager did "
                       << "not load the connection; 16: the deletion failed; 17: NetworkManager "
                       << "kept the deleted connection";
}

}  // namespace
}  // namespace verolink::faults

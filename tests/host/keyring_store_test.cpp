// Remembered passwords in a real Secret Service: gnome-keyring-daemon on a
// session bus of the test's own, never the user's.
#include "host/connect/keyring_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "doubles/fake_connect.h"
#include "host_test_support.h"

namespace verolink::host {
namespace {

using namespace host::testing;
using verolink::testing::FakeCardSearch;
using verolink::testing::FakeConnectView;
using verolink::testing::FakeDialer;

constexpr char kUuid[] = "5d2c8e1a-4b3f-4a6e-8c7d-2e1f0a9b8c7d";
constexpr char kPassword[] = "пароль 7 \"$x\"";

// What `command` printed on standard output.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

class KeyringStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"dbus-daemon", "gnome-keyring-daemon", "secret-tool", "gdbus"}) {
      ASSERT_EQ(std::system((std::string("command -v ") + tool + " >/dev/null").c_str()), 0)
          << tool << " is not installed (scripts/install-deps.sh installs it)";
    }
    // A bus that starts nothing by itself: a Secret Service is there only
    // when the test starts one.
    WriteFile(
        work / "bus.conf",
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig>"
        "<type>session</type><listen>unix:path=" +
            work / "bus" +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow own=\"*\"/>"
            "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy></busconfig>\n");
    bus_ = Spawn({"dbus-daemon", "--nofork", "--config-file=" + work / "bus.conf"}, "");
    for (int i = 0; i < 1000 && !Exists(work / "bus"); ++i) usleep(10000);
    ASSERT_TRUE(Exists(work / "bus")) << "the test's session bus did not start";
    address = "unix:path=" + work / "bus";
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", work.path().c_str(), 1);
    setenv("HOME", work.path().c_str(), 1);
  }
  void TearDown() override {
    for (const pid_t pid : {keyring_, bus_}) {
      if (pid <= 0) continue;
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }

  // Starts `argv` with `input` on its standard input.
  static pid_t Spawn(const std::vector<std::string>& argv, const std::string& input) {
    int in[2];
    if (pipe(in) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(in[0], 0);
      close(in[0]);
      close(in[1]);
      std::vector<char*> args;
      for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
    close(in[0]);
    (void)!write(in[1], input.data(), input.size());
    close(in[1]);
    return pid;
  }

  // gnome-keyring-daemon with a new login keyring, unlocked, as at log-in.
  void StartKeyring() {
    keyring_ = Spawn({"gnome-keyring-daemon", "--unlock", "--components=secrets", "--foreground"},
                     "keyring-password");
    const std::string owned =
        "timeout 10 gdbus call --session --dest org.freedesktop.DBus --object-path "
        "/org/freedesktop/DBus "
        "--method org.freedesktop.DBus.NameHasOwner org.freedesktop.secrets 2>/dev/null";
    for (int i = 0; i < 1000 && Output(owned) != "(true,)\n"; ++i) usleep(10000);
    ASSERT_EQ(Output(owned), "(true,)\n") << "gnome-keyring-daemon did not start";
  }

  TempFolder work;
  std::string address;

 private:
  pid_t bus_ = -1;
  pid_t keyring_ = -1;
};

TEST_F(KeyringStoreTest, ARememberedPasswordIsUsedWithoutAskingAndIsTheDesktopAgentsItem) {
  // Each case talks to its own bus from a process of its own: libsecret and
  // GDBus keep their connections for the process.
  EXPECT_EQ(
      RunInChild([&] {
        StartKeyring();
        if (HasFatalFailure()) return 1;
        KeyringStore store;
        if (!store.Available()) {
          ADD_FAILURE() << "gnome-keyring-daemon does not answer as a Secret Service";
          return 1;
        }
        {
          FakeConnectView view;
          FakeCardSearch cards;
          FakeDialer dialer;
          connect::ConnectEngine engine(kUuid, "Pelkar INTERNET", view, cards, dialer, store);
          engine.Start();
          EXPECT_EQ(view.log, std::vector<std::string>{"ask:remember"});
          engine.Connect(kPassword, true);
          dialer.events->OnPasswordAsked();
          EXPECT_FALSE(store.Lookup(kUuid)) << "kept before the provider accepted it";
          dialer.events->OnConnected("10.64.0.7");
        }
        // As the desktop's agents look it up.
        EXPECT_EQ(Output("secret-tool lookup connection-uuid " + std::string(kUuid) +
                         " setting-name pppoe setting-key password"),
                  kPassword);
        EXPECT_NE(Output("secret-tool search --all connection-uuid " + std::string(kUuid) + " 2>&1")
                      .find("label = Network secret for Pelkar INTERNET/pppoe/password"),
                  std::string::npos);
        // The second connect dials with it and asks nothing.
        FakeConnectView view;
        FakeCardSearch cards;
        FakeDialer dialer;
        connect::ConnectEngine engine(kUuid, "Pelkar INTERNET", view, cards, dialer, store);
        engine.Start();
        EXPECT_EQ(dialer.dials,
                  std::vector<std::string>{std::string(kUuid) + "|eth1|" + kPassword});
        EXPECT_EQ(view.log,
                  std::vector<std::string>{"progress:" +
                                           connect::StepText(connect::Step::kLookingForEquipment)});
        // Nothing of it in a file but the keyring's own, which holds it encrypted.
        EXPECT_EQ(Output("grep -rl 'пароль 7' '" + work.path() + "' 2>/dev/null"), "");
        return HasFailure() ? 1 : 0;
      }),
      0);
}

TEST_F(KeyringStoreTest, WithoutASecretServiceTheWindowSaysSoAndAsksEachTime) {
  EXPECT_EQ(RunInChild([&] {
              KeyringStore store;
              EXPECT_FALSE(store.Available());
              FakeConnectView view;
              FakeCardSearch cards;
              FakeDialer dialer;
              connect::ConnectEngine engine(kUuid, "Pelkar INTERNET", view, cards, dialer, store);
              engine.Start();
              EXPECT_EQ(view.log, (std::vector<std::string>{
                                      std::string("notice:") + connect::kCannotRememberText,
                                      "ask:no-remember"}));
              engine.Connect("pw", true);
              dialer.events->OnConnected("10.64.0.7");
              EXPECT_EQ(FolderNames(work.path()), (std::vector<std::string>{"bus", "bus.conf"}))
                  << "the password went somewhere";
              return HasFailure() ? 1 : 0;
            }),
            0);
}

}  // namespace
}  // namespace verolink::host

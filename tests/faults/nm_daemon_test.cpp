// The button pressed by unprivileged users against a real NetworkManager:
// a daemon in a private network and mount namespace on a private system bus,
// with polkitd and rules of the test's own (scripts/nm-private-daemon.sh),
// never the machine's own. Each press runs the core workflow with the
// NetworkManager phonebook in a child process with the user's identity.
#include <glib.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <set>

#include "doubles/fake_platform.h"
#include "host/phonebook/nm_phonebook.h"
#include "host/phonebook/phonebook_choice.h"
#include "host/system/host_code_page.h"
#include "host_test_support.h"
#include "start/profile.h"
#include "window/main_form.h"

namespace verolink::faults {
namespace {

using namespace host::testing;

const std::string kDaemon = std::string(VEROLINK_SOURCE_DIR) + "/scripts/nm-private-daemon.sh";
const std::string kName = "Pelkar INTERNET";
constexpr char kLogin[] = "subscriber-7";
constexpr int kYes = 6;

struct User {
  const char* name;
  uid_t uid;
};
constexpr User kOwn{"vlown", 61001};        // may change only connections of their own
constexpr User kSystem{"vlsystem", 61002};  // may change connections for all users
constexpr User kNone{"vlnone", 61003};      // may change neither

// The rules polkitd answers with: only these, nothing of the machine's.
constexpr char kRules[] = R"(polkit.addRule(function(action, subject) {
  if (action.id.indexOf("org.freedesktop.NetworkManager.") != 0) return;
  if (subject.user == "vlsystem") return polkit.Result.YES;
  if (subject.user == "vlown" &&
      action.id != "org.freedesktop.NetworkManager.settings.modify.system")
    return polkit.Result.YES;
  return polkit.Result.NO;
});
)";

class ScriptedLogin : public host::LoginPrompt {
 public:
  std::optional<host::LoginAnswer> AskLogin(const host::LoginRequest&) override {
    return host::LoginAnswer{kLogin, {}};
  }
};

// What a command printed, run as `user` (root when null).
std::string Output(const std::string& command, const User* user = nullptr) {
  std::string line = command;
  if (user != nullptr) {
    line = std::string("setpriv --reuid=") + user->name + " --regid=" + user->name +
           " --clear-groups " + command;
  }
  std::string out;
  if (FILE* pipe = popen((line + " 2>&1").c_str(), "r")) {
    char buffer[512];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

std::string Listed(const User* user = nullptr) {
  return Output("nmcli -t -f NAME connection show", user);
}

// The message boxes one press of the button showed, in UTF-8, one a line.
struct Press {
  std::string messages;
  double seconds = 0;
};

class NmDaemonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"NetworkManager", "dbus-daemon", "nmcli", "setpriv"}) {
      ASSERT_EQ(std::system((std::string("command -v ") + tool + " >/dev/null").c_str()), 0)
          << tool << " is not installed, so no private NetworkManager can run "
          << "(scripts/install-deps.sh installs it)";
    }
    ASSERT_EQ(access("/usr/lib/polkit-1/polkitd", X_OK), 0)
        << "polkitd is not installed, so no user's permissions can be asked "
        << "(scripts/install-deps.sh installs it)";
    ASSERT_EQ(geteuid(), 0u) << "the private daemon, its namespace and its users need root";
    // The daemon's network, mounts, bus and users are this process's alone.
    ASSERT_EQ(unshare(CLONE_NEWNET | CLONE_NEWNS), 0) << "cannot make a private namespace";
    ASSERT_EQ(mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
    ASSERT_EQ(mkdir((work / "rules.d").c_str(), 0755), 0);
    WriteFile(work / "rules.d/50-verolink-test.rules", kRules);
    const std::string start = "'" + kDaemon + "' start '" + work.path() + "' " + UserAndUid(kOwn) +
                              " " + UserAndUid(kSystem) + " " + UserAndUid(kNone);
    ASSERT_EQ(std::system(start.c_str()), 0)
        << "the private daemon did not start; its log: " << ReadFile(work / "nm.log").value_or("");
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + work / "system_bus_socket").c_str(), 1);
  }
  void TearDown() override {
    std::system(("'" + kDaemon + "' stop '" + work.path() + "'").c_str());
  }

  static std::string UserAndUid(const User& user) {
    return std::string(user.name) + ":" + std::to_string(user.uid);
  }

  // Presses the button as `user`, answering the questions with `answers`.
  // `beforePress` runs in this process once the program has connected.
  Press PressAs(const User& user, std::deque<int> answers = {},
                const std::function<void()>& beforePress = {},
                std::chrono::milliseconds timeout = host::kNmTimeout) {
    int out[2], ready[2], go[2];
    if (pipe(out) != 0 || pipe(ready) != 0 || pipe(go) != 0) return {"pipe failed", 0};
    const pid_t child = fork();
    if (child == 0) {
      close(out[0]);
      if (setgroups(0, nullptr) != 0 || setgid(user.uid) != 0 || setuid(user.uid) != 0) _exit(2);
      host::HostCodePage codePage{host::kDefaultCodePageName};
      ScriptedLogin prompt;
      std::string reason;
      host::NmPhonebook phonebook(host::NmDaemon::Connect(timeout, reason), 2884, codePage, prompt);
      if (write(ready[1], "r", 1) != 1) _exit(3);
      char byte;
      if (read(go[0], &byte, 1) != 1) _exit(3);
      testing::FakePlatform fake;
      fake.messageBoxes.answers = answers;
      Platform platform = fake.platformWith(phonebook, codePage);
      const Profile profile = basMain::BuiltInProfile();
      ОсновнаяФорма form{platform, profile};
      form.Load();
      const auto started = std::chrono::steady_clock::now();
      form.OnCreateButtonClick();
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
      std::string text = std::to_string(took.count()) + "\n";
      for (const auto& shown : fake.messageBoxes.shown) text += ToUtf8(shown.text) + "\n";
      if (write(out[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(4);
      _exit(0);
    }
    close(out[1]);
    char byte = 0;
    if (read(ready[0], &byte, 1) == 1) {
      if (beforePress) beforePress();
      (void)!write(go[1], "g", 1);
    }
    close(go[1]);
    std::string text;
    char buffer[512];
    while (ssize_t n = read(out[0], buffer, sizeof buffer)) {
      if (n < 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    for (int fd : {out[0], ready[0], ready[1], go[0]}) close(fd);
    int status = 0;
    waitpid(child, &status, 0);
    Press press;
    const std::size_t firstLine = text.find('\n');
    if (firstLine == std::string::npos)
      return {"the press ended with status " + std::to_string(status), 0};
    press.seconds = std::stod(text.substr(0, firstLine));
    press.messages = text.substr(firstLine + 1);
    return press;
  }

  // The daemon's own stored connection, group.key=value a line, the UUID as
  // "<uuid>".
  std::set<std::string> StoredSettings() {
    std::set<std::string> settings;
    GKeyFile* file = g_key_file_new();
    if (g_key_file_load_from_file(file, (work / "connections/" + kName + ".nmconnection").c_str(),
                                  G_KEY_FILE_NONE, nullptr)) {
      gchar** groups = g_key_file_get_groups(file, nullptr);
      for (gchar** group = groups; *group != nullptr; ++group) {
        settings.insert(std::string("[") + *group + "]");
        gchar** keys = g_key_file_get_keys(file, *group, nullptr, nullptr);
        for (gchar** key = keys; key != nullptr && *key != nullptr; ++key) {
          gchar* value = g_key_file_get_value(file, *group, *key, nullptr);
          std::string line = std::string(*group) + "." + *key + "=";
          line += std::string(*key) == "uuid" ? "<uuid>" : value;
          settings.insert(line);
          g_free(value);
        }
        g_strfreev(keys);
      }
      g_strfreev(groups);
    }
    g_key_file_free(file);
    return settings;
  }

  std::string Uuid(const User& user) {
    return Output("nmcli -g connection.uuid connection show '" + kName + "'", &user);
  }

  TempFolder work;
};

std::string ServiceName() { return ToUtf8(basMain::BuiltInProfile().ServiceName); }

TEST_F(NmDaemonTest, UserAllowedOwnConnectionsGetsOneOnlyTheySeeHoldingTheEntrysSettings) {
  const Press press = PressAs(kOwn);
  EXPECT_EQ(press.messages, "Подключение создано.\n");
  EXPECT_EQ(Output("nmcli -t -f connection.id,connection.type,connection.autoconnect,"
                   "connection.permissions,pppoe.service,pppoe.username,pppoe.password-flags,"
                   "ppp.refuse-eap,ppp.refuse-pap,ppp.refuse-chap,ppp.refuse-mschap,"
                   "ppp.refuse-mschapv2,ppp.lcp-echo-failure,ppp.lcp-echo-interval,ipv4.method,"
                   "ipv6.method connection show '" +
                       kName + "'",
                   &kOwn),
            "connection.id:" + kName +
                "\nconnection.type:pppoe\nconnection.autoconnect:no\n"
                "connection.permissions:user:vlown\npppoe.service:" +
                ServiceName() +
                "\npppoe.username:subscriber-7\npppoe.password-flags:1\n"
                "ppp.refuse-eap:yes\nppp.refuse-pap:no\nppp.refuse-chap:no\n"
                "ppp.refuse-mschap:no\nppp.refuse-mschapv2:no\nppp.lcp-echo-failure:5\n"
                "ppp.lcp-echo-interval:30\nipv4.method:auto\n"
                "ipv6.method:disabled\n");
  EXPECT_EQ(Listed(&kSystem), "") << "another user sees the connection";
  const std::set<std::string> stored = {"[connection]",
                                        "connection.id=" + kName,
                                        "connection.uuid=<uuid>",
                                        "connection.type=pppoe",
                                        "connection.autoconnect=false",
                                        "connection.permissions=user:vlown:;",
                                        "[pppoe]",
                                        "pppoe.service=" + ServiceName(),
                                        "pppoe.username=subscriber-7",
                                        "pppoe.password-flags=1",
                                        "[ppp]",
                                        "ppp.refuse-eap=true",
                                        "ppp.lcp-echo-failure=5",
                                        "ppp.lcp-echo-interval=30",
                                        "[ipv4]",
                                        "ipv4.method=auto",
                                        "[ipv6]",
                                        "ipv6.addr-gen-mode=default",
                                        "ipv6.method=disabled",
                                        "[proxy]"};
  EXPECT_EQ(StoredSettings(), stored);
}

TEST_F(NmDaemonTest, UserAllowedSystemConnectionsMakesOneEveryUserSeesButOnlyTheyMayDelete) {
  EXPECT_EQ(PressAs(kSystem).messages, "Подключение создано.\n");
  EXPECT_EQ(Listed(&kOwn), kName + "\n");
  // Another user sees it, is asked, agrees, and may not delete it.
  const Press refused = PressAs(kOwn, {kYes});
  EXPECT_EQ(refused.messages.substr(refused.messages.find('\n') + 1),
            "Ошибка удаления подключения!\n")
      << refused.messages;
  EXPECT_EQ(Listed(), kName + "\n");
  EXPECT_EQ(Output("nmcli -g connection.permissions connection show '" + kName + "'"), "\n");
}

TEST_F(NmDaemonTest, UserAllowedNeitherReadsThatNetworkManagerRefusesAndNothingIsAdded) {
  EXPECT_EQ(PressAs(kNone).messages,
            "NetworkManager не разрешает вам изменять сетевые подключения. Подключение не "
            "изменено; обратитесь к администратору компьютера.\n");
  EXPECT_EQ(Listed(), "");
  EXPECT_EQ(FolderNames(work / "connections"), std::vector<std::string>{});
}

TEST_F(NmDaemonTest, ExistingConnectionIsDeletedThroughTheDaemonAndMadeAgainWithANewUuid) {
  ASSERT_EQ(PressAs(kOwn).messages, "Подключение создано.\n");
  const std::string first = Uuid(kOwn);
  const Press again = PressAs(kOwn, {kYes});
  EXPECT_EQ(again.messages.substr(again.messages.find('\n') + 1), "Подключение создано.\n")
      << again.messages;
  EXPECT_NE(again.messages.find(kName), std::string::npos) << "no question: " << again.messages;
  EXPECT_EQ(Listed(&kOwn), kName + "\n");
  EXPECT_NE(Uuid(kOwn), first);
  EXPECT_EQ(FolderNames(work / "connections"), std::vector<std::string>{kName + ".nmconnection"});
}

TEST_F(NmDaemonTest, DaemonStuckOrGoneAfterTheStartGivesAClearErrorWithoutHanging) {
  const auto signalDaemon = [&](int signal) {
    return [this, signal] { kill(std::stoi(ReadFile(work / "nm.pid").value()), signal); };
  };
  const std::string noAnswer =
      "NetworkManager не отвечает. Подключение не изменено; повторите попытку позже.\n";
  const Press stuck = PressAs(kOwn, {}, signalDaemon(SIGSTOP), std::chrono::milliseconds(1000));
  EXPECT_EQ(stuck.messages, noAnswer);
  EXPECT_LT(stuck.seconds, 5.0) << "the listing and the write each wait at most a second";
  kill(std::stoi(ReadFile(work / "nm.pid").value()), SIGCONT);
  const Press gone = PressAs(kOwn, {}, [&] {
    const pid_t daemon = std::stoi(ReadFile(work / "nm.pid").value());
    kill(daemon, SIGKILL);
    // Gone once its process has ended (a zombie nobody reaps counts as gone).
    const std::string stat = "/proc/" + std::to_string(daemon) + "/stat";
    for (int i = 0; i < 300; ++i) {
      const std::string state = ReadFile(stat).value_or("");
      if (state.empty() || state.find(") Z ") != std::string::npos) break;
      usleep(10000);
    }
  });
  EXPECT_EQ(gone.messages, noAnswer);
  EXPECT_LT(gone.seconds, 4.0) << "waited for a daemon that is gone";
}

}  // namespace
}  // namespace verolink::faults

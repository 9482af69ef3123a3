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
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <utility>

// libnm's headers declare some functions without C linkage of their own.
extern "C" {
#include <NetworkManager.h>
}

#include "common/message_boxes.h"
#include "doubles/fake_platform.h"
#include "host/connect/connect_agent.h"
#include "host/connect/nm_dialer.h"
#include "host/desktop/host_shell.h"
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
// While the file WORK/hold exists, polkitd holds its answers on changes of
// a user's own connections.
constexpr char kRules[] = R"(polkit.addRule(function(action, subject) {
  if (action.id.indexOf("org.freedesktop.NetworkManager.") != 0) return;
  if (action.id == "org.freedesktop.NetworkManager.settings.modify.own")
    polkit.spawn(["/bin/sh", "-c", "while [ -e 'WORK/hold' ]; do sleep 0.02; done"]);
  if (subject.user == "vlsystem") return polkit.Result.YES;
  if (subject.user == "vlown" &&
      action.id != "org.freedesktop.NetworkManager.settings.modify.system")
    return polkit.Result.YES;
  return polkit.Result.NO;
});
)";

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

// All that can be read from `fd` until its end.
std::string ReadAll(int fd) {
  std::string text;
  char buffer[512];
  while (ssize_t n = read(fd, buffer, sizeof buffer)) {
    if (n < 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

// The message boxes one press of the button showed, in UTF-8, one a line.
struct Press {
  std::string messages;
  double seconds = 0;
};

// How a window of the program is driven.
struct Script {
  std::deque<int> answers = {};  // to the message boxes' questions
  std::string login = kLogin;
  // The login dialog waits for the test's word (Window::Next gives 'l').
  // Where the wait for NetworkManager shows (Window::Next gives 'w'), the
  // test's word says whether the user stops waiting ('q') or not.
  bool holdAtLogin = false;
  bool holdAtQuestion = false;  // the same at a question ('a')
  bool ticksShortcut = false;   // with launchers in the user's home
  std::chrono::milliseconds timeout = host::kNmTimeout;
};

// A pipe's two ends, closed with it.
struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() { (void)!pipe(fd); }
  ~Pipe() {
    for (int end : fd)
      if (end >= 0) close(end);
  }
  void Send(char word) { (void)!write(fd[1], &word, 1); }
  char Receive() {
    char word = 0;
    return read(fd[0], &word, 1) == 1 ? word : 0;
  }
};

// One instance of the program as `user`, in a child process: it connects
// (NetworkManager's phonebook), waits for Press, runs the core workflow and
// tells the test what happens on the way ('l' login asked, 'w' the wait for
// NetworkManager shown), then what it showed; at the end it sees additions
// given up on to their end, as the program does when it closes.
class Window {
 public:
  Window(const User& user, Script script, const std::string& home) {
    child_ = fork();
    if (child_ != 0) {
      close(std::exchange(events_.fd[1], -1));
      close(std::exchange(words_.fd[0], -1));
      ready_ = events_.Receive() == 'c';
      return;
    }
    close(events_.fd[0]);
    close(words_.fd[1]);
    if (setgroups(0, nullptr) != 0 || setgid(user.uid) != 0 || setuid(user.uid) != 0) _exit(2);
    setenv("VEROLINK_DESKTOP", (home + "/Desktop").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    host::HostCodePage codePage{host::kDefaultCodePageName};
    Prompt prompt(*this, script);
    Wait view(*this);
    std::string reason;
    auto phonebook = std::make_unique<host::NmPhonebook>(
        host::NmDaemon::Connect(script.timeout, reason, &view), 2884, codePage, prompt);
    events_.Send('c');
    if (words_.Receive() != 'p') _exit(3);
    testing::FakePlatform fake;
    fake.messageBoxes.answers = script.answers;
    Boxes boxes(*this, script, fake.messageBoxes);
    host::HostAutomationObjects shell(
        host::HostShellOptions{[&] { return host::ListedConnections(*platform_); },
                               {},
                               [&](const Text& name) { return phonebook->UuidOf(name); }});
    host::HostFileDeletion files(codePage, true);
    AutomationObjects& automation = script.ticksShortcut
                                        ? static_cast<AutomationObjects&>(shell)
                                        : static_cast<AutomationObjects&>(fake.automation);
    FileDeletion& deletion = script.ticksShortcut ? static_cast<FileDeletion&>(files)
                                                  : static_cast<FileDeletion&>(fake.files);
    Platform platform{*phonebook,         fake.systemMessages,
                      fake.memory,        fake.eventLog,
                      codePage,           automation,
                      deletion,           fake.processes,
                      fake.browser,       boxes,
                      fake.eventPump,     fake.sleeper,
                      fake.commonControls};
    const Profile profile = basMain::BuiltInProfile();
    ОсновнаяФорма form{platform, profile};
    form.Load();
    form.SetCheckValue(ControlId::Ярлык, script.ticksShortcut ? 1 : 0);
    form.SetCheckValue(ControlId::ВключитьФайервол, 0);
    platform_ = &platform;
    const auto started = std::chrono::steady_clock::now();
    form.OnCreateButtonClick();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::string text = "e" + std::to_string(took.count()) + "\n";
    for (const auto& shown : fake.messageBoxes.shown) text += ToUtf8(shown.text) + "\n";
    if (write(events_.fd[1], text.data(), text.size()) != static_cast<ssize_t>(text.size()))
      _exit(4);
    phonebook.reset();
    _exit(0);
  }
  ~Window() {
    if (child_ > 0 && !finished_) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
  }

  bool ready() const { return ready_; }
  void Click() { words_.Send('p'); }
  // What happens next in the window: 'l', 'w', or 'e' (the press ended).
  char Next() { return events_.Receive(); }
  void Say(char word) { words_.Send(word); }
  // After 'e': what the press showed, once the program has closed.
  Press Finish() {
    std::string text;
    char buffer[512];
    while (ssize_t n = read(events_.fd[0], buffer, sizeof buffer)) {
      if (n < 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    waitpid(child_, &status, 0);
    finished_ = true;
    const std::size_t firstLine = text.find('\n');
    if (firstLine == std::string::npos)
      return {"the press ended with status " + std::to_string(status), 0};
    return {text.substr(firstLine + 1), std::stod(text.substr(0, firstLine))};
  }

 private:
  class Prompt : public host::LoginPrompt {
   public:
    Prompt(Window& window, const Script& script) : window_(window), script_(script) {}
    std::optional<host::LoginAnswer> AskLogin(const host::LoginRequest&) override {
      if (script_.holdAtLogin) {
        window_.events_.Send('l');
        window_.words_.Receive();
      }
      return host::LoginAnswer{script_.login, {}};
    }

   private:
    Window& window_;
    const Script& script_;
  };
  class Boxes : public MessageBoxes {
   public:
    Boxes(Window& window, const Script& script, MessageBoxes& boxes)
        : window_(window), script_(script), boxes_(boxes) {}
    int Show(const Text& text, int style, const Text& title) override {
      if (script_.holdAtQuestion && (style & kMbYesNo) != 0) {
        window_.events_.Send('a');
        window_.words_.Receive();
      }
      return boxes_.Show(text, style, title);
    }

   private:
    Window& window_;
    const Script& script_;
    MessageBoxes& boxes_;
  };
  class Wait : public WaitView {
   public:
    explicit Wait(Window& window) : window_(window) {}
    void ShowWaiting(const Text&) override {
      window_.events_.Send('w');
      gaveUp_ = window_.words_.Receive() == 'q';
    }
    bool GaveUp() override { return gaveUp_; }
    void HideWaiting() override {}

   private:
    Window& window_;
    bool gaveUp_ = false;
  };

  pid_t child_ = -1;
  bool ready_ = false;
  bool finished_ = false;
  Pipe events_, words_;
  Platform* platform_ = nullptr;
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
    std::string rules = kRules;
    rules.replace(rules.find("WORK"), 4, work.path());
    WriteFile(work / "rules.d/50-verolink-test.rules", rules);
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

  std::string Home(const User& user) const { return work / ("home/" + std::string(user.name)); }

  // Presses the button in a new window of `user`'s, as `script` says; the
  // wait for NetworkManager, where it shows, is stopped when `giveUp`.
  // `beforePress` runs once the program has connected.
  Press PressAs(const User& user, Script script = {}, const std::function<void()>& beforePress = {},
                bool giveUp = false) {
    Window window(user, std::move(script), Home(user));
    if (!window.ready()) return window.Finish();
    if (beforePress) beforePress();
    window.Click();
    for (char event; (event = window.Next()) != 'e' && event != 0;) {
      if (event == 'w') window.Say(giveUp ? 'q' : 'k');
    }
    return window.Finish();
  }
  Press PressAs(const User& user, std::deque<int> answers) {
    return PressAs(user, Script{.answers = std::move(answers)});
  }

  pid_t DaemonPid() { return std::stoi(ReadFile(work / "nm.pid").value()); }
  void RestartDaemon() {
    ASSERT_EQ(std::system(("'" + kDaemon + "' restart-nm '" + work.path() + "'").c_str()), 0)
        << ReadFile(work / "nm.log").value_or("");
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

using std::chrono_literals::operator""ms;
const std::string kNoAnswer =
    "NetworkManager не отвечает. Подключение не изменено; повторите попытку позже.\n";

// Answers every wait shown with `word` until the press ends.
void RunToEnd(Window& window, char word = 'k') {
  for (char event; (event = window.Next()) != 'e' && event != 0;) {
    if (event == 'w') window.Say(word);
  }
}

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
  const std::string noAnswer = kNoAnswer;
  const Press stuck =
      PressAs(kOwn, Script{.timeout = std::chrono::milliseconds(1000)}, signalDaemon(SIGSTOP));
  EXPECT_EQ(stuck.messages, noAnswer);
  EXPECT_LT(stuck.seconds, 5.0) << "the listing and the write each wait at most a second";
  kill(std::stoi(ReadFile(work / "nm.pid").value()), SIGCONT);
  const Press gone = PressAs(kOwn, Script{}, [&] {
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

// The PPPoE password NetworkManager hands back when this process asks for
// connection `uuid`'s secrets (its agents answer); empty when none came.
std::string AskedSecret(NMClient* client, const std::string& uuid) {
  NMRemoteConnection* connection = nm_client_get_connection_by_uuid(client, uuid.c_str());
  if (connection == nullptr) return "no connection";
  struct Answer {
    bool done = false;
    std::string password;
  } answer;
  // Asynchronously: the agent that answers may be this process's own.
  nm_remote_connection_get_secrets_async(
      connection, NM_SETTING_PPPOE_SETTING_NAME, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* a = static_cast<Answer*>(data);
        GVariant* secrets =
            nm_remote_connection_get_secrets_finish(NM_REMOTE_CONNECTION(source), result, nullptr);
        const gchar* password = nullptr;
        GVariant* pppoe = secrets ? g_variant_lookup_value(secrets, "pppoe", nullptr) : nullptr;
        if (pppoe && g_variant_lookup(pppoe, "password", "&s", &password)) a->password = password;
        if (pppoe) g_variant_unref(pppoe);
        if (secrets) g_variant_unref(secrets);
        a->done = true;
      },
      &answer);
  while (!answer.done) g_main_context_iteration(nullptr, TRUE);
  return answer.password;
}

// Asks NetworkManager for connection argv[1]'s PPPoE secrets over D-Bus, as
// any client does; prints the password, or NetworkManager's error in
// parentheses.
constexpr char kAskSecret[] = R"py(import sys
from gi.repository import Gio, GLib
nm = "org.freedesktop.NetworkManager"
bus = Gio.bus_get_sync(Gio.BusType.SYSTEM, None)
try:
    path, = bus.call_sync(nm, "/org/freedesktop/NetworkManager/Settings", nm + ".Settings",
                          "GetConnectionByUuid", GLib.Variant("(s)", (sys.argv[1],)), None,
                          Gio.DBusCallFlags.NONE, -1, None).unpack()
    secrets, = bus.call_sync(nm, path, nm + ".Settings.Connection", "GetSecrets",
                             GLib.Variant("(s)", ("pppoe",)), None, Gio.DBusCallFlags.NONE, -1,
                             None).unpack()
    print(secrets.get("pppoe", {}).get("password", "(no password among the secrets)"))
except GLib.Error as error:
    print(f"({error.message})")
)py";

// The PPPoE password another process of the user is given for connection
// `uuid`, this process's main context running meanwhile so that its own
// agent can answer.
std::string SecretAskedByAnotherProcess(const std::string& uuid) {
  const gchar* argv[] = {"/usr/bin/python3", "-c", kAskSecret, uuid.c_str(), nullptr};
  GPid pid = 0;
  gint out = -1;
  if (!g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(argv), nullptr,
                                G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid, nullptr, &out,
                                nullptr, nullptr)) {
    return "python3 did not start";
  }
  bool ended = false;
  g_child_watch_add(
      pid, [](GPid, gint, gpointer data) { *static_cast<bool*>(data) = true; }, &ended);
  while (!ended) g_main_context_iteration(nullptr, TRUE);
  std::string text = ReadAll(out);
  close(out);
  g_spawn_close_pid(pid);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// NetworkManager asks, of one user's agents, first the one in the process
// that made the request, then (agents of users in active sessions alike)
// the one registered last. So the connect window's own agent answers the
// window's requests even when the desktop's registered after it, the
// desktop's is asked only when the window's declines, and another process's
// request goes to the agent registered last.
TEST_F(NmDaemonTest, TheAgentOfTheAskingProcessIsAskedFirstThenTheOneRegisteredLast) {
  ASSERT_EQ(PressAs(kOwn).messages, "Подключение создано.\n");
  const std::string uuid = Uuid(kOwn).substr(0, 36);
  WriteFile(work / "desktop-password", "desktop-password\n");
  chmod((work / "desktop-password").c_str(), 0644);
  // The window's process registers its agent first, then waits for the go.
  int out[2], go[2];
  ASSERT_EQ(pipe(out), 0);
  ASSERT_EQ(pipe(go), 0);
  const pid_t window = fork();
  if (window == 0) {
    close(out[0]);
    close(go[1]);
    if (setgroups(0, nullptr) != 0 || setgid(kOwn.uid) != 0 || setuid(kOwn.uid) != 0) _exit(2);
    std::string reason;
    auto agent = host::ConnectAgent::Register(std::chrono::seconds(5), reason);
    NMClient* client = nm_client_new(nullptr, nullptr);
    std::string text = agent && client ? "" : "no agent: " + reason;
    char byte;
    if (!text.empty() || write(out[1], "r", 1) != 1 || read(go[0], &byte, 1) != 1) {
      (void)!write(out[1], text.data(), text.size());
      _exit(0);
    }
    int asked = 0;
    agent->offer().Give(uuid, "window-password", [&] { ++asked; });
    const auto line = [&](const std::string& password) {
      text += password + " asked " + std::to_string(asked) + "\n";
    };
    line(AskedSecret(client, uuid));
    line(SecretAskedByAnotherProcess(uuid));
    agent->offer().Withdraw();
    line(AskedSecret(client, uuid));
    (void)!write(out[1], text.data(), text.size());
    _exit(0);
  }
  close(out[1]);
  close(go[0]);
  char byte = 0;
  const bool ready = read(out[0], &byte, 1) == 1 && byte == 'r';
  // Then the desktop's agent (a stand-in) registers.
  const std::string agentLog = work / "desktop-agent.log";
  // The source may lie in a folder only its owner may enter (a home of mode
  // 0700): the user runs a copy from the test's own folder.
  const std::string script = work / "secret_agent.py";
  std::filesystem::copy_file(std::string(VEROLINK_SOURCE_DIR) + "/tests/dial/secret_agent.py",
                             script, std::filesystem::copy_options::overwrite_existing);
  const pid_t desktop = fork();
  if (desktop == 0) {
    if (!freopen(agentLog.c_str(), "w", stdout)) _exit(2);
    if (setgroups(0, nullptr) != 0 || setgid(kOwn.uid) != 0 || setuid(kOwn.uid) != 0) _exit(2);
    const std::string password = work / "desktop-password";
    execl("/usr/bin/python3", "python3", script.c_str(), password.c_str(), nullptr);
    _exit(127);
  }
  const auto registered = [&] {
    return ReadFile(agentLog).value_or("").find("secret agent registered") != std::string::npos;
  };
  for (int i = 0; i < 3000 && !registered() && waitpid(desktop, nullptr, WNOHANG) == 0; ++i) {
    usleep(10000);
  }
  const bool desktopUp = registered();
  (void)!write(go[1], "g", 1);
  close(go[1]);
  const std::string text = ReadAll(out[0]);
  close(out[0]);
  waitpid(window, nullptr, 0);
  kill(desktop, SIGTERM);
  waitpid(desktop, nullptr, 0);
  ASSERT_TRUE(ready) << "the window's agent did not register: " << text;
  ASSERT_TRUE(desktopUp) << "the desktop's stand-in agent did not register: "
                         << ReadFile(agentLog).value_or("");
  const std::string asked = ReadFile(agentLog).value_or("");
  EXPECT_EQ(text,
            "window-password asked 1\n"    // the window asks: its own agent answers
            "desktop-password asked 1\n"   // another process asks: the agent registered last
            "desktop-password asked 1\n")  // the window's agent declines: the desktop's
      << "the desktop's agent:\n"
      << asked << "NetworkManager's log:\n"
      << ReadFile(work / "nm.log").value_or("");
  EXPECT_EQ(std::count(asked.begin(), asked.end(), '\n'), 3)
      << "the desktop's agent was asked other than by the other process and after the window's "
         "declined:\n"
      << asked;
}

// The connect window where NetworkManager hangs: it says NetworkManager
// does not answer once the time allowed has passed, not later.
TEST_F(NmDaemonTest, TheConnectWindowGivesUpOnAStoppedDaemonInTheTimeAllowed) {
  const pid_t daemon = DaemonPid();
  kill(daemon, SIGSTOP);
  const auto started = std::chrono::steady_clock::now();
  const int status = host::testing::RunInChild([] {
    if (setgroups(0, nullptr) != 0 || setgid(kOwn.uid) != 0 || setuid(kOwn.uid) != 0) return 2;
    connect::Failure failure = connect::Failure::kOther;
    std::string reason;
    const auto dialer = host::NmDialer::Connect(std::chrono::seconds(1), failure, reason);
    return dialer == nullptr && failure == connect::Failure::kNoManager ? 0 : 1;
  });
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  kill(daemon, SIGCONT);
  EXPECT_EQ(status, 0) << "not the no-answer reason";
  EXPECT_LT(took.count(), 4.0) << "waited past the second allowed";
}

// A user polkit does not let control the network: the activation of a
// connection every user may see is refused, and the connect window tells
// that apart from a daemon that does not answer.
TEST_F(NmDaemonTest, ADialOfAUserNotAllowedToConnectEndsWithTheNotAllowedReason) {
  // A card, and a connection every user may see, named by it.
  ASSERT_EQ(Output("ip link add vlcard0 type veth peer name vlpeer0 && echo made"), "made\n");
  ASSERT_EQ(Output("nmcli connection add type pppoe con-name Everyone ifname ppp-vlcard0 "
                   "pppoe.parent vlcard0 username u >/dev/null && echo added"),
            "added\n");
  const std::string uuid = Output("nmcli -g connection.uuid connection show Everyone");
  const int status = host::testing::RunInChild([&] {
    if (setgroups(0, nullptr) != 0 || setgid(kNone.uid) != 0 || setuid(kNone.uid) != 0) return 2;
    connect::Failure failure = connect::Failure::kOther;
    std::string reason;
    const auto dialer = host::NmDialer::Connect(std::chrono::seconds(20), failure, reason);
    if (!dialer) return failure == connect::Failure::kNotAllowed ? 0 : 3;
    struct Events : connect::DialEvents {
      std::optional<connect::Failure> rejected;
      bool ended = false;
      void OnPasswordAsked() override {}
      void OnAuthenticated() override {}
      void OnConnected(const std::string&) override { ended = true; }
      void OnEnded(const connect::DialFacts&) override { ended = true; }
      void OnRejected(connect::Failure f) override { rejected = f; }
    } events;
    dialer->Dial(uuid.substr(0, 36), "", "secret", events);
    for (int i = 0; i < 2000 && !events.rejected && !events.ended; ++i) {
      g_main_context_iteration(nullptr, FALSE);
      usleep(10000);
    }
    return events.rejected == connect::Failure::kNotAllowed ? 0 : 4;
  });
  EXPECT_EQ(status, 0) << (status == 3   ? "the agent was refused, but not for permission"
                           : status == 4 ? "the activation's refusal was not taken as not allowed"
                                         : "could not become the user");
  EXPECT_NE(ReadFile(work / "nm.log").value_or("").find("Not authorized to control networking"),
            std::string::npos)
      << "NetworkManager refused for another reason";
  EXPECT_EQ(Output("nmcli -g GENERAL.STATE connection show Everyone"), "") << "it was started";
}

// Late answers, restarts and two windows: each test says what the user reads
// and what NetworkManager holds afterwards.

TEST_F(NmDaemonTest, AnAdditionPolkitHoldsPastTheTimeAllowedIsAwaitedWithTheWaitShown) {
  Window window(kOwn, {.holdAtLogin = true, .timeout = 1000ms}, Home(kOwn));
  ASSERT_TRUE(window.ready());
  window.Click();
  ASSERT_EQ(window.Next(), 'l');
  WriteFile(work / "hold", "");
  window.Say('k');
  // Past the time allowed the window says it waits, and reports nothing yet.
  ASSERT_EQ(window.Next(), 'w');
  unlink((work / "hold").c_str());
  window.Say('k');
  RunToEnd(window);
  const Press press = window.Finish();
  EXPECT_EQ(press.messages, "Подключение создано.\n");
  EXPECT_GT(press.seconds, 1.0);
  EXPECT_EQ(Listed(&kOwn), kName + "\n");
}

TEST_F(NmDaemonTest, AnAdditionGivenUpOnWhileTheDaemonIsStoppedIsUndoneWhenItArrives) {
  Window window(kOwn, {.holdAtLogin = true, .timeout = 1000ms}, Home(kOwn));
  ASSERT_TRUE(window.ready());
  window.Click();
  ASSERT_EQ(window.Next(), 'l');
  kill(DaemonPid(), SIGSTOP);
  window.Say('k');
  ASSERT_EQ(window.Next(), 'w');
  window.Say('q');  // the user stops waiting
  ASSERT_EQ(window.Next(), 'e');
  // The daemon goes on and adds the connection; the program, before it
  // closes, deletes it again.
  kill(DaemonPid(), SIGCONT);
  EXPECT_EQ(window.Finish().messages, kNoAnswer);
  EXPECT_EQ(Listed(), "");
  EXPECT_EQ(FolderNames(work / "connections"), std::vector<std::string>{});
}

TEST_F(NmDaemonTest, ADeletionGivenUpOnWhilePolkitHoldsItIsUndoneWhenItArrives) {
  ASSERT_EQ(PressAs(kOwn).messages, "Подключение создано.\n");
  const std::string old = Uuid(kOwn);
  Window window(kOwn, {.answers = {kYes}, .holdAtQuestion = true, .timeout = 1000ms}, Home(kOwn));
  ASSERT_TRUE(window.ready());
  window.Click();
  ASSERT_EQ(window.Next(), 'a');
  WriteFile(work / "hold", "");
  window.Say('k');  // the user agrees to delete the connection
  ASSERT_EQ(window.Next(), 'w');
  window.Say('q');  // and stops waiting
  ASSERT_EQ(window.Next(), 'e');
  // polkit answers, the daemon deletes it; the program adds it back.
  unlink((work / "hold").c_str());
  const Press press = window.Finish();
  EXPECT_EQ(press.messages.substr(press.messages.find('\n') + 1), "Ошибка удаления подключения!\n");
  EXPECT_EQ(Listed(&kOwn), kName + "\n");
  EXPECT_EQ(Uuid(kOwn), old);
}

TEST_F(NmDaemonTest, DaemonKilledAsTheConnectionIsStoredEndsWithLaunchersOrTheShortcutError) {
  Window window(kOwn, {.holdAtLogin = true, .ticksShortcut = true, .timeout = 1000ms}, Home(kOwn));
  ASSERT_TRUE(window.ready());
  window.Click();
  ASSERT_EQ(window.Next(), 'l');
  window.Say('k');
  const std::string stored = work / ("connections/" + kName + ".nmconnection");
  for (int i = 0; i < 10000 && access(stored.c_str(), F_OK) != 0; ++i) usleep(1000);
  kill(DaemonPid(), SIGKILL);
  // Where the answer was lost with the daemon, the window waits until it is
  // back; else the shortcut step finds it gone.
  char event = window.Next();
  if (event == 'w') {
    RestartDaemon();
    window.Say('k');
    RunToEnd(window);
  }
  const Press press = window.Finish();
  if (event != 'w') RestartDaemon();
  ASSERT_EQ(Listed(&kOwn), kName + "\n");
  std::string uuid = Uuid(kOwn);
  uuid.pop_back();
  const bool launchers =
      access((Home(kOwn) + "/Desktop/" + kName + ".desktop").c_str(), F_OK) == 0 &&
      access((Home(kOwn) + "/data/applications/verolink-connection-" + uuid + ".desktop").c_str(),
             F_OK) == 0;
  if (event == 'w') {
    EXPECT_EQ(press.messages, "Подключение создано.\n");
    EXPECT_TRUE(launchers);
  } else {
    EXPECT_EQ(press.messages, "Ошибка создания ярлыка подключения!\nПодключение создано.\n");
    EXPECT_FALSE(launchers);
  }
}

TEST_F(NmDaemonTest, APressAfterTheDaemonRestartedWhileTheWindowStoodWorksAsTheFirst) {
  const Press press = PressAs(kOwn, Script{}, [&] { RestartDaemon(); });
  EXPECT_EQ(press.messages, "Подключение создано.\n");
  EXPECT_EQ(Listed(&kOwn), kName + "\n");
}

TEST_F(NmDaemonTest, TwoWindowsWhoseAdditionsQueueInTheStoppedDaemonEndWithOneConnection) {
  // Two windows of the user, pressed together; with an existing connection
  // both are asked about it, agree and delete it. Both additions then wait
  // in the stopped daemon.
  const auto pressBoth = [&](std::deque<int> answers) {
    const bool asked = !answers.empty();
    const Script script{
        .answers = answers, .holdAtLogin = true, .holdAtQuestion = asked, .timeout = 1000ms};
    Window first(kOwn, script, Home(kOwn));
    Window second(kOwn, script, Home(kOwn));
    EXPECT_TRUE(first.ready() && second.ready());
    first.Click();
    second.Click();
    if (asked) {
      // Both have seen the connection before either deletes it.
      EXPECT_EQ(first.Next(), 'a');
      EXPECT_EQ(second.Next(), 'a');
      first.Say('k');
      second.Say('k');
    }
    EXPECT_EQ(first.Next(), 'l');
    EXPECT_EQ(second.Next(), 'l');
    kill(DaemonPid(), SIGSTOP);
    first.Say('k');
    second.Say('k');
    EXPECT_EQ(first.Next(), 'w');
    EXPECT_EQ(second.Next(), 'w');
    kill(DaemonPid(), SIGCONT);
    first.Say('k');
    second.Say('k');
    RunToEnd(first);
    RunToEnd(second);
    std::multiset<std::string> told;
    for (Window* window : {&first, &second}) {
      const Press press = window->Finish();
      told.insert(press.messages.substr(answers.empty() ? 0 : press.messages.find('\n') + 1));
    }
    return told;
  };
  const std::multiset<std::string> oneMadeOneKept = {
      "Подключение создано.\n",
      "Подключение с этим именем только что создано в другом окне программы; оставлено оно, "
      "второе не создано.\n"};
  EXPECT_EQ(pressBoth({}), oneMadeOneKept);
  EXPECT_EQ(Listed(&kOwn), kName + "\n");
  const std::string old = Uuid(kOwn);
  EXPECT_EQ(pressBoth({kYes}), oneMadeOneKept);
  EXPECT_EQ(Listed(&kOwn), kName + "\n");
  EXPECT_NE(Uuid(kOwn), old);
  EXPECT_EQ(FolderNames(work / "connections").size(), 1u);
}

TEST_F(NmDaemonTest, ALoginWithATabOrALineBreakIsRefusedAndNothingIsWritten) {
  for (const char* login : {"ab\t1003", "ab\n1005"}) {
    EXPECT_EQ(PressAs(kOwn, Script{.login = login}).messages,
              "Логин абонента не может содержать табуляцию, перевод строки и другие управляющие "
              "знаки. Введите логин без них. Подключение не создано.\n");
  }
  EXPECT_EQ(Listed(), "");
}

}  // namespace
}  // namespace verolink::faults

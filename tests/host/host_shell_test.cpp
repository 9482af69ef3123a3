#include "host/desktop/host_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "desktop/desktop_shortcut.h"
#include "doubles/fake_platform.h"
#include "host/desktop/desktop_entries.h"
#include "host/system/user_folders.h"
#include "host_test_support.h"
#include "window/resources.h"

namespace verolink::host {
namespace {

namespace fs = std::filesystem;
using testing::FolderNames;
using testing::ReadFile;
using testing::Replaced;
using testing::ScopedVariable;
using testing::TempFolder;
using testing::WriteFile;
using testing::WriteScript;

constexpr char kUuid[] = "0b6a2b1e-9d4f-4c1a-8e3b-5f2d7c9a1e40";

// The core's shortcut procedures on the host's shell objects and file
// deletion; everything else is the doubles'.
class HostShortcut : public ::testing::Test {
 protected:
  explicit HostShortcut(bool launchers = false)
      : desktop(temp / "Рабочий стол"),
        chooseDesktop("VEROLINK_DESKTOP", desktop),
        automation({[this] { return entries; }, "/var/lib/verolink/rasphone.pbk",
                    launchers ? std::function<std::string(const Text&)>(
                                    [this](const Text& name) { return uuids[name]; })
                              : nullptr}),
        files(fake.codePage, launchers),
        platform{fake.phonebook,     fake.systemMessages, fake.memory,    fake.eventLog,
                 fake.codePage,      automation,          files,          fake.processes,
                 fake.browser,       fake.messageBoxes,   fake.eventPump, fake.sleeper,
                 fake.commonControls} {}

  std::vector<std::string> DesktopFiles() const {
    std::vector<std::string> names;
    if (!fs::exists(desktop)) return names;
    for (const auto& entry : fs::directory_iterator(desktop)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder temp;
  std::string desktop;
  ScopedVariable chooseDesktop;
  std::vector<Text> entries{u"Other", u"Pelkar INTERNET"};
  // NetworkManager's UUIDs of the connections, by name.
  std::map<Text, std::string> uuids{{u"Pelkar INTERNET", kUuid}};
  verolink::testing::FakePlatform fake;
  HostAutomationObjects automation;
  HostFileDeletion files;
  Platform platform;
  Profile profile = basMain::BuiltInProfile();
};

TEST_F(HostShortcut, CopyWritesTheShortcutFileIntoANewDesktopFolder) {
  Shells::CreateDesktopShortcut(platform, profile);
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
  ASSERT_EQ(DesktopFiles(), std::vector<std::string>{"Pelkar INTERNET.lnk"}) << "no temporary left";
  const std::string text = ReadFile(desktop + "/Pelkar INTERNET.lnk").value_or("");
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
  EXPECT_NE(text.find("\nType=Link\n"), std::string::npos);
  EXPECT_NE(text.find("\nName=Pelkar INTERNET\n"), std::string::npos);
  EXPECT_NE(text.find("/var/lib/verolink/rasphone.pbk"), std::string::npos);
  EXPECT_NE(text.find("\nURL=file:///var/lib/verolink/rasphone.pbk\n"), std::string::npos);
}

TEST_F(HostShortcut, RemovalDeletesExactlyTheEntrysShortcut) {
  Shells::CreateDesktopShortcut(platform, profile);
  std::ofstream(desktop + "/Pelkar INTERNET (2).lnk") << "kept";
  std::ofstream(desktop + "/Pelkar INTERNET") << "kept";
  Wsh::DeleteDesktopShortcut(platform, u"Pelkar INTERNET");
  EXPECT_EQ(DesktopFiles(),
            (std::vector<std::string>{"Pelkar INTERNET", "Pelkar INTERNET (2).lnk"}));
  Wsh::DeleteDesktopShortcut(platform, u"Pelkar INTERNET");  // already gone: silent
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST_F(HostShortcut, ANameWithASlashNeverLeavesTheDesktopFolder) {
  profile.IspName = u"../Pelkar";
  entries = {u"../Pelkar INTERNET"};
  Shells::CreateDesktopShortcut(platform, profile);
  ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
  EXPECT_FALSE(fs::exists(temp / "Pelkar INTERNET.lnk"));
  EXPECT_TRUE(DesktopFiles().empty());
  EXPECT_THROW(WriteShortcutFile(desktop, u"a/b", "x"), AutomationError);
  EXPECT_THROW(WriteShortcutFile(desktop, u"", "x"), AutomationError);
}

TEST(ShortcutFileText, NamesCannotAddKeysOrLines) {
  const std::string text = ShortcutFileText(u" Evil\nExec=rm -rf ~\\", "/pb/ras phone.pbk");
  EXPECT_NE(text.find("\nName=\\sEvil\\nExec=rm -rf ~\\\\\n"), std::string::npos);
  EXPECT_EQ(text.find("\nExec="), std::string::npos);
  EXPECT_NE(text.find("\nURL=file:///pb/ras%20phone.pbk\n"), std::string::npos);
}

// With NetworkManager's phonebook: launchers that start the connection. No
// session bus answers here, so no metadata store either (the window test
// marks launchers through a real one), and never the machine's own.
class HostLauncher : public HostShortcut {
 protected:
  HostLauncher() : HostShortcut(true) {}

  std::vector<std::string> MenuFiles() const {
    return fs::exists(menu) ? FolderNames(menu) : std::vector<std::string>();
  }
  std::string MenuEntry(const std::string& uuid) const {
    return menu + "/verolink-connection-" + uuid + ".desktop";
  }

  ScopedVariable data{"XDG_DATA_HOME", temp / "data"};
  ScopedVariable session{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + temp / "no-session-bus"};
  const std::string menu = temp / "data/applications";
};

// What desktop-file-validate says of the file; empty when it is valid.
std::string Invalidity(const std::string& path) {
  std::string out;
  if (FILE* pipe = popen(("desktop-file-validate '" + path + "' 2>&1; echo $?").c_str(), "r")) {
    char buffer[512];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out == "0\n" ? "" : out;
}

// The running test program's path, as the launcher starts it.
std::string RunningProgramPath() {
  char path[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

TEST_F(HostLauncher, CopyWritesTheUsersLauncherAndAMenuEntryThatStartTheConnectionByUuid) {
  ::testing::internal::CaptureStderr();
  Shells::CreateDesktopShortcut(platform, profile);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
  ASSERT_EQ(DesktopFiles(), std::vector<std::string>{"Pelkar INTERNET.desktop"});
  const std::string path = desktop + "/Pelkar INTERNET.desktop";
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u) << "executable, and writable by its owner alone";
  EXPECT_EQ(st.st_uid, geteuid());
  const std::string icon = temp / "data/verolink/verolink-pppoe.png";
  const std::string launcher =
      "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Pelkar INTERNET\n"
      "Comment=Подключиться к Интернету через «Pelkar INTERNET»\n"
      "Exec=" +
      RunningProgramPath() + " --connect " + std::string(kUuid) + "\nIcon=" + icon +
      "\nTerminal=false\nCategories=Network;\nX-Verolink-Connection=Pelkar INTERNET\n";
  EXPECT_EQ(ReadFile(path), launcher);
  const auto png = resources::ProgramIconPng();
  EXPECT_EQ(ReadFile(icon), std::string(png.begin(), png.end()));
  // The menu entry is the same launcher with the theme's network icon.
  EXPECT_EQ(MenuFiles(),
            std::vector<std::string>{"verolink-connection-" + std::string(kUuid) + ".desktop"});
  EXPECT_EQ(ReadFile(MenuEntry(kUuid)), Replaced(launcher, icon, "network-wired"));
  EXPECT_EQ(Invalidity(path), "");
  EXPECT_EQ(Invalidity(MenuEntry(kUuid)), "");
  // Where no metadata store is, the launcher is still there, and one line
  // says why the desktop will ask before starting it.
  EXPECT_EQ(said.rfind("verolink: launcher " + path + " is not marked as trusted", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(HostLauncher, AConnectionNotFoundByNameIsTheShortcutErrorAndLeavesNoFile) {
  uuids.clear();
  Shells::CreateDesktopShortcut(platform, profile);
  ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(fake.messageBoxes.shown[0].text, u"Ошибка создания ярлыка подключения!");
  EXPECT_TRUE(DesktopFiles().empty());
  EXPECT_TRUE(MenuFiles().empty());
}

TEST(LauncherFileText, ANameCannotAddKeysOrLinesAndOnlyAUuidIsExecuted) {
  const std::string text = LauncherFileText(u"x\\y\nExec=rm -rf ~", kUuid, "");
  EXPECT_NE(text.find("\nName=x\\\\y\\nExec=rm -rf ~\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("\nExec=rm"), std::string::npos);
  EXPECT_NE(text.find("\nIcon=network-wired\n"), std::string::npos);
  EXPECT_THROW(LauncherFileText(u"x", "0b6a2b1e; rm -rf ~", ""), AutomationError);
  // The program's own path is one argument however it is spelled.
  EXPECT_EQ(ExecArgument("/usr/bin/verolink-pppoe"), "/usr/bin/verolink-pppoe");
  EXPECT_EQ(ExecArgument("/home/a b/$x`y\"z\\100%"), "\"/home/a b/\\$x\\`y\\\"z\\\\100%%\"");
}

TEST_F(HostLauncher, ANewConnectionReplacesAndRemovalTakesOnlyOurLaunchersOfThatName) {
  Shells::CreateDesktopShortcut(platform, profile);
  // Made again for a new connection of that name: the old menu entry goes.
  constexpr char kNewUuid[] = "7c1e4f2a-3b5d-4e6f-9a0b-1c2d3e4f5a6b";
  uuids[u"Pelkar INTERNET"] = kNewUuid;
  ::testing::internal::CaptureStderr();
  Shells::CreateDesktopShortcut(platform, profile);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(MenuFiles(),
            std::vector<std::string>{"verolink-connection-" + std::string(kNewUuid) + ".desktop"});
  EXPECT_NE(ReadFile(desktop + "/Pelkar INTERNET.desktop")->find(kNewUuid), std::string::npos);

  std::ofstream(desktop + "/Other.desktop") << "[Desktop Entry]\nType=Application\nExec=other\n";
  std::ofstream(desktop + "/Pelkar INTERNET.lnk") << "old shortcut";
  WriteFile(MenuEntry("someone-else"), "[Desktop Entry]\nName=Pelkar INTERNET\n");
  WriteFile(MenuEntry("another"), LauncherFileText(u"Another", kUuid, ""));
  // The same launcher outside the desktop folder is not the desktop's.
  fs::create_directories(temp / "elsewhere");
  fs::copy_file(desktop + "/Pelkar INTERNET.desktop", temp / "elsewhere/Pelkar INTERNET.desktop");
  files.DeleteFile(temp / "elsewhere/Pelkar INTERNET.lnk");
  EXPECT_TRUE(fs::exists(temp / "elsewhere/Pelkar INTERNET.desktop"));
  EXPECT_EQ(MenuFiles().size(), 3u);

  Wsh::DeleteDesktopShortcut(platform, u"Other");
  Wsh::DeleteDesktopShortcut(platform, u"Pelkar INTERNET");
  EXPECT_EQ(DesktopFiles(), std::vector<std::string>{"Other.desktop"});
  EXPECT_EQ(MenuFiles(), (std::vector<std::string>{"verolink-connection-another.desktop",
                                                   "verolink-connection-someone-else.desktop"}));
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST(DesktopFolder, FollowsTheEnvironmentThenUserDirsThenHome) {
  // GLib keeps the home and configuration folders it saw first: this test
  // sets them before anything of GLib looks.
  TempFolder temp;
  fs::create_directories(temp / "config");
  const ScopedVariable home("HOME", temp / "home");
  const ScopedVariable config("XDG_CONFIG_HOME", temp / "config");
  {
    const ScopedVariable chosen("VEROLINK_DESKTOP", "/chosen/desk");
    EXPECT_EQ(DesktopFolder(), "/chosen/desk");
  }
  const ScopedVariable unchosen("VEROLINK_DESKTOP", std::nullopt);
  EXPECT_EQ(DesktopFolder(), temp / "home/Desktop") << "no user-dirs.dirs";

  const std::string dirs = temp / "config/user-dirs.dirs";
  WriteFile(dirs, "XDG_DESKTOP_DIR=\"$HOME/\"\n");
  EXPECT_EQ(DesktopFolder(), temp / "home/Desktop") << "the desktop is the home folder";

  WriteFile(dirs, "XDG_DESKTOP_DIR=\"/srv/Рабочий стол\"\n");
  EXPECT_EQ(DesktopFolder(), "/srv/Рабочий стол") << "a change is seen at the next call";
}

}  // namespace
}  // namespace verolink::host

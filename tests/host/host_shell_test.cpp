#include "host/desktop/host_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "desktop/desktop_shortcut.h"
#include "doubles/fake_platform.h"
#include "host/desktop/desktop_entries.h"
#include "host/system/user_folders.h"
#include "host_test_support.h"
#include "window/resources.h"

namespace verolink::host {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::ScopedVariable;
using testing::TempFolder;
using testing::WriteFile;
using testing::WriteScript;

// The core's shortcut procedures on the host's shell objects and file
// deletion; everything else is the doubles'.
class HostShortcut : public ::testing::Test {
 protected:
  explicit HostShortcut(bool launchers = false)
      : desktop(temp / "Рабочий стол"),
        chooseDesktop("VEROLINK_DESKTOP", desktop),
        automation({[this] { return entries; }, "/var/lib/verolink/rasphone.pbk", launchers}),
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

// With NetworkManager's phonebook: launchers that bring the connection up.
class HostLauncher : public HostShortcut {
 protected:
  HostLauncher() : HostShortcut(true) {}
  ScopedVariable data{"XDG_DATA_HOME", temp / "data"};
};

TEST_F(HostLauncher, CopyWritesAnExecutableLauncherWithTheProgramsIcon) {
  entries = {u"Other", u"Pelkar INTERNET"};
  Shells::CreateDesktopShortcut(platform, profile);
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
  ASSERT_EQ(DesktopFiles(), std::vector<std::string>{"Pelkar INTERNET.desktop"});
  const std::string path = desktop + "/Pelkar INTERNET.desktop";
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  const std::string icon = temp / "data/verolink/verolink-pppoe.png";
  EXPECT_EQ(ReadFile(path),
            "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Pelkar INTERNET\n"
            "Comment=Подключиться к Интернету через «Pelkar INTERNET»\n"
            "Exec=nmcli connection up id \"Pelkar INTERNET\"\nIcon=" +
                icon +
                "\nTerminal=false\nCategories=Network;\n"
                "X-Verolink-Connection=Pelkar INTERNET\n");
  const auto png = resources::ProgramIconPng();
  EXPECT_EQ(ReadFile(icon), std::string(png.begin(), png.end()));
  EXPECT_EQ(ReadFile(icon)->rfind("\x89PNG\r\n", 0), 0u);
}

TEST(LauncherFileText, ExecQuotesTheNameSoThatItStaysOneArgument) {
  // Quoting first ('"', '`', '$', '\\' escaped, '%' doubled), then the
  // value's own escaping doubles every backslash again.
  EXPECT_EQ(QuotedExecArgument("a \"b\" `c` $d \\e 100%"),
            "\"a \\\"b\\\" \\`c\\` \\$d \\\\e 100%%\"");
  const std::string text = LauncherFileText(u"x\\y\nExec=rm -rf ~", "");
  EXPECT_NE(text.find("\nExec=nmcli connection up id \"x\\\\\\\\y\\nExec=rm -rf ~\"\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("\nExec=rm"), std::string::npos);
  EXPECT_NE(text.find("\nIcon=network-wired\n"), std::string::npos);
}

TEST_F(HostLauncher, RemovalTakesOnlyOurLauncherOfThatNameFromTheDesktop) {
  Shells::CreateDesktopShortcut(platform, profile);
  std::ofstream(desktop + "/Other.desktop") << "[Desktop Entry]\nType=Application\nExec=other\n";
  std::ofstream(desktop + "/Pelkar INTERNET.lnk") << "old shortcut";
  // The same launcher outside the desktop folder is not the desktop's.
  fs::create_directories(temp / "elsewhere");
  fs::copy_file(desktop + "/Pelkar INTERNET.desktop", temp / "elsewhere/Pelkar INTERNET.desktop");
  files.DeleteFile(temp / "elsewhere/Pelkar INTERNET.lnk");
  EXPECT_TRUE(fs::exists(temp / "elsewhere/Pelkar INTERNET.desktop"));

  Wsh::DeleteDesktopShortcut(platform, u"Other");
  Wsh::DeleteDesktopShortcut(platform, u"Pelkar INTERNET");
  EXPECT_EQ(DesktopFiles(), std::vector<std::string>{"Other.desktop"});
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

#include "desktop/desktop_shortcut.h"

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"

namespace verolink {
namespace {

using testing::FakePlatform;

constexpr char16_t kError[] = u"Ошибка создания ярлыка подключения!";

Profile Pelkar() {
  Profile p;
  p.IspName = u"Pelkar";
  p.ConnectionName = u"Pelkar INTERNET";
  return p;
}

class CreateShortcut : public ::testing::Test {
 protected:
  void Create() {
    Platform platform = fake.platform();
    Shells::CreateDesktopShortcut(platform, Pelkar());
    EXPECT_EQ(fake.automation.liveObjects, 0) << "every automation object is released";
  }
  FakePlatform fake;
};

TEST_F(CreateShortcut, CopiesEveryItemNamedExactlyLikeTheConnection) {
  fake.automation.connectionItems = {u"Pelkar INTERNET", u"pelkar internet", u"Pelkar INTERNET ",
                                     u"Local Area", u"Pelkar INTERNET"};
  Create();
  EXPECT_EQ(fake.automation.copiedToDesktop,
            (std::vector<Text>{u"Pelkar INTERNET", u"Pelkar INTERNET"}));
  EXPECT_EQ(fake.automation.desktopNameSpaceCalls, 2) << "the desktop is asked anew per match";
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST_F(CreateShortcut, NoMatchingItemOrMissingFolderEndsSilently) {
  fake.automation.connectionItems = {u"Local Area", u"PELKAR INTERNET"};
  Create();
  EXPECT_TRUE(fake.automation.copiedToDesktop.empty());
  EXPECT_EQ(fake.automation.desktopNameSpaceCalls, 0);

  fake.automation.connectionItems = {u"Pelkar INTERNET"};
  fake.automation.hasDesktopFolder = false;
  Create();
  EXPECT_EQ(fake.automation.desktopNameSpaceCalls, 1);

  fake.automation.hasConnectionsFolder = false;
  fake.automation.hasDesktopFolder = true;
  Create();
  EXPECT_TRUE(fake.automation.copiedToDesktop.empty());
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST_F(CreateShortcut, ShellThatCannotBeCreatedShowsOneCriticalBox) {
  fake.automation.shellCreatable = false;
  Create();
  ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(fake.messageBoxes.shown[0].text, kError);
  EXPECT_EQ(fake.messageBoxes.shown[0].style, 16);
  EXPECT_EQ(fake.messageBoxes.shown[0].title, u"Verolink");
}

TEST_F(CreateShortcut, FailingNameEndsTheWalkWithOneBox) {
  fake.automation.connectionItems = {u"Pelkar INTERNET", u"Other", u"Pelkar INTERNET"};
  fake.automation.nameFailsAt = 1;
  Create();
  EXPECT_EQ(fake.automation.copiedToDesktop, std::vector<Text>{u"Pelkar INTERNET"});
  ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(fake.messageBoxes.shown[0].text, kError);
}

TEST_F(CreateShortcut, FailingCopyLeavesTheLaterItemsUntouched) {
  fake.automation.connectionItems = {u"Pelkar INTERNET", u"Pelkar INTERNET"};
  fake.automation.copyFails = true;
  Create();
  EXPECT_EQ(fake.log, (testing::CallLog{"Create:Shell.Application", "CopyHere:Pelkar INTERNET",
                                        "MessageBox:Ошибка создания ярлыка подключения!"}));
}

class DeleteShortcut : public ::testing::Test {
 protected:
  void Delete(const Text& name) {
    Platform platform = fake.platform();
    Wsh::DeleteDesktopShortcut(platform, name);
    EXPECT_EQ(fake.automation.liveObjects, 0);
    EXPECT_TRUE(fake.messageBoxes.shown.empty()) << "removal reports nothing";
  }
  FakePlatform fake;
};

TEST_F(DeleteShortcut, DeletesExactlyTheNamedShortcutInTheDesktopFolder) {
  fake.automation.desktopPath = u"C:\\Users\\Пользователь\\Desktop";
  Delete(u" Pelkar INTERNET");
  const std::string ansiUser = fake.codePage.ToAnsi(u"Пользователь");
  EXPECT_EQ(fake.files.deleted,
            std::vector<std::string>{"C:\\Users\\" + ansiUser + "\\Desktop\\ Pelkar INTERNET.lnk"});

  fake.files.deleted.clear();
  fake.files.separator = u'/';
  fake.automation.desktopPath = u"/home/user/Desktop";
  Delete(u"Pelkar INTERNET");
  EXPECT_EQ(fake.files.deleted, std::vector<std::string>{"/home/user/Desktop/Pelkar INTERNET.lnk"});
}

TEST_F(DeleteShortcut, MissingDesktopPathDeletesNothing) {
  fake.automation.desktopPath.clear();
  Delete(u"Pelkar INTERNET");
  fake.automation.desktopPath = u"C:\\Desktop";
  fake.automation.scriptHostCreatable = false;
  Delete(u"Pelkar INTERNET");
  fake.automation.scriptHostCreatable = true;
  fake.automation.specialFoldersFails = true;
  Delete(u"Pelkar INTERNET");
  EXPECT_TRUE(fake.files.deleted.empty());
}

TEST_F(DeleteShortcut, NamesThatWouldLeaveTheDesktopFolderDeleteNothing) {
  for (const Text name : {u"..\\boot", u"../etc/passwd", u"sub\\Pelkar", u".", u".."}) {
    Delete(name);
  }
  EXPECT_TRUE(fake.files.deleted.empty());
  EXPECT_TRUE(fake.log.empty()) << "nothing is asked of the platform";
}

}  // namespace
}  // namespace verolink

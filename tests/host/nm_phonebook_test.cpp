// The NetworkManager phonebook against real keyfiles in a scratch folder,
// each keyfile it writes checked by NetworkManager itself (nmcli --offline).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "doubles/fake_platform.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/nm_keyfile.h"
#include "nm_test_support.h"
#include "start/profile.h"
#include "window/main_form.h"

namespace verolink::host::testing {
namespace {

constexpr char kName[] = "Pelkar INTERNET";

class NmPhonebookTest : public ::testing::Test {
 protected:
  std::string Keyfile(const std::string& fileName) { return ReadFile(folder / fileName).value(); }

  TempFolder folder;
  NmPhonebookOn nm{folder.path()};
};

TEST_F(NmPhonebookTest, FreshWriteIsAPppoeConnectionNetworkManagerAccepts) {
  ASSERT_EQ(nm.Put(kName), kRasSuccess);

  const std::string file = std::string(kName) + ".nmconnection";
  EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{file});
  EXPECT_EQ(ModeOf(folder / file), 0600u);
  const std::string text = Keyfile(file);
  ExpectNetworkManagerAccepts(text);

  PppoeConnection read;
  std::string fileName;
  ASSERT_EQ(nm.phonebook.ReadEntry(kName, read, fileName), kRasSuccess);
  EXPECT_EQ(fileName, file);
  EXPECT_EQ(read.id, kName);
  EXPECT_EQ(read.uuid.size(), 36u);
  EXPECT_EQ(read.service, "pelkar");
  EXPECT_EQ(read.username, "subscriber-1");
  EXPECT_EQ(read.passwordFlags, 2u);
  EXPECT_FALSE(read.autoconnect);
  // PAP, SPAP, CHAP, MS-CHAP and MS-CHAP v2 allowed; EAP refused.
  EXPECT_TRUE(read.refuseEap);
  EXPECT_FALSE(read.refusePap || read.refuseChap || read.refuseMschap || read.refuseMschapv2);
  EXPECT_FALSE(read.requireMppe);
  EXPECT_FALSE(read.neverDefault);  // the default route goes through the peer
  EXPECT_FALSE(read.ipv6);
  EXPECT_NE(text.find("[ipv4]\nmethod=auto\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[ipv6]\nmethod=disabled\n"), std::string::npos) << text;

  EXPECT_EQ(ListedNames(nm.phonebook), std::vector<std::string>{kName});
  ASSERT_EQ(nm.prompt.asked.size(), 1u);
  EXPECT_EQ(nm.prompt.asked[0].connectionName, kName);
  EXPECT_EQ(nm.prompt.asked[0].suggested, "");
  EXPECT_EQ(nm.reloads, 1);
}

TEST_F(NmPhonebookTest, OverwriteAfterTheExistenceQuestionLeavesOneFreshConnection) {
  ASSERT_EQ(nm.Put(kName), kRasSuccess);
  const std::string file = std::string(kName) + ".nmconnection";
  PppoeConnection first;
  std::string fileName;
  ASSERT_EQ(nm.phonebook.ReadEntry(kName, first, fileName), kRasSuccess);

  // The button pressed with the entry there, "Yes" to the question.
  verolink::testing::FakePlatform fake;
  fake.messageBoxes.answers = {kAnswerYes};
  Platform platform = fake.platformWith(nm.phonebook, const_cast<HostCodePage&>(Cp1251()));
  Profile profile = basMain::BuiltInProfile();
  ОсновнаяФорма form{platform, profile};
  form.Load();
  nm.prompt.login = "subscriber-2";
  form.OnCreateButtonClick();

  ASSERT_GE(fake.messageBoxes.shown.size(), 2u);
  EXPECT_EQ(fake.messageBoxes.shown.back().text, u"Подключение создано.");
  EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{file});
  const std::string text = Keyfile(file);
  ExpectNetworkManagerAccepts(text);
  PppoeConnection second;
  ASSERT_EQ(nm.phonebook.ReadEntry(kName, second, fileName), kRasSuccess);
  EXPECT_NE(second.uuid, first.uuid);
  EXPECT_EQ(second.username, "subscriber-2");
  // The login of the deleted connection was offered.
  ASSERT_EQ(nm.prompt.asked.size(), 2u);
  EXPECT_EQ(nm.prompt.asked[1].suggested, "subscriber-1");

  // Written again without a deletion: the same file, still one connection.
  ASSERT_EQ(nm.Put(kName), kRasSuccess);
  EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{file});
  EXPECT_EQ(nm.prompt.asked.back().suggested, "subscriber-2");
  EXPECT_EQ(ListedNames(nm.phonebook), std::vector<std::string>{kName});
}

TEST_F(NmPhonebookTest, DeletionRemovesOnlyThatConnection) {
  const std::string wifi =
      "[connection]\nid=Home Wi-Fi\nuuid=3c5a1c3e-7c57-4a57-9f0e-0d5b1f0d6a01\ntype=wifi\n\n"
      "[wifi]\nssid=home\n";
  WriteFile(folder / "Home Wi-Fi.nmconnection", wifi);
  ASSERT_EQ(nm.Put("Other INTERNET"), kRasSuccess);
  ASSERT_EQ(nm.Put(kName), kRasSuccess);
  const std::string other = Keyfile("Other INTERNET.nmconnection");
  EXPECT_EQ(ListedNames(nm.phonebook).size(), 3u);
  const int reloads = nm.reloads;

  ASSERT_EQ(nm.phonebook.DeleteEntry(kName), kRasSuccess);
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{"Home Wi-Fi.nmconnection", "Other INTERNET.nmconnection"}));
  EXPECT_EQ(Keyfile("Home Wi-Fi.nmconnection"), wifi);
  EXPECT_EQ(Keyfile("Other INTERNET.nmconnection"), other);
  EXPECT_EQ(nm.reloads, reloads + 1);

  EXPECT_EQ(nm.phonebook.DeleteEntry(kName), kErrorCannotFindPhonebookEntry);
  // Letter case counts: "other internet" is not "Other INTERNET".
  EXPECT_EQ(nm.phonebook.DeleteEntry("other internet"), kErrorCannotFindPhonebookEntry);
  EXPECT_EQ(nm.reloads, reloads + 1);
}

TEST_F(NmPhonebookTest, NamesWithSpacesCyrillicAndSlashesKeepTheirIdAndStayInTheFolder) {
  const Text names[] = {u"Домашний интернет  Верolink", u"  leading blanks", u"a/b\\c ../x"};
  for (const Text& name : names) {
    const std::string ansi = Cp1251().ToAnsi(name);
    ASSERT_EQ(nm.Put(ansi), kRasSuccess) << ToUtf8(name);
    PppoeConnection read;
    std::string fileName;
    ASSERT_EQ(nm.phonebook.ReadEntry(ansi, read, fileName), kRasSuccess) << ToUtf8(name);
    EXPECT_EQ(read.id, ToUtf8(name));
    EXPECT_EQ(fileName.find('/'), std::string::npos);
    ExpectNetworkManagerAccepts(Keyfile(fileName));
  }
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{"  leading blanks.nmconnection", "a_b\\c .._x.nmconnection",
                                      "Домашний интернет  Верolink.nmconnection"}));
  std::vector<std::string> expected;
  for (const Text& name : names) expected.push_back(Cp1251().ToAnsi(name));
  std::vector<std::string> listed = ListedNames(nm.phonebook);
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
}

TEST_F(NmPhonebookTest, DamagedAndForeignNeighboursAreLeftByteForByte) {
  const std::string garbage("\x01\x02[connection\nid=\xff\x00zz", 18);
  const std::string noId = "[connection]\ntype=pppoe\n";
  // A file under the name ours would get, holding another connection.
  const std::string squatter =
      "[connection]\nid=Someone else\nuuid=0b0c6a4e-58b5-4bb0-8b3e-61a1e4c7d1a2\ntype=ethernet\n";
  WriteFile(folder / "broken.nmconnection", garbage);
  WriteFile(folder / "no-id", noId);
  WriteFile(folder / (std::string(kName) + ".nmconnection"), squatter);
  WriteFile(folder / ".hidden", "[connection]\nid=Pelkar INTERNET\n");

  EXPECT_EQ(ListedNames(nm.phonebook), std::vector<std::string>{"Someone else"});
  ASSERT_EQ(nm.Put(kName), kRasSuccess);
  PppoeConnection read;
  std::string fileName;
  ASSERT_EQ(nm.phonebook.ReadEntry(kName, read, fileName), kRasSuccess);
  EXPECT_EQ(fileName, std::string(kName) + "-" + read.uuid + ".nmconnection");
  ExpectNetworkManagerAccepts(Keyfile(fileName));
  ASSERT_EQ(nm.phonebook.DeleteEntry(kName), kRasSuccess);
  EXPECT_EQ(nm.phonebook.DeleteEntry("Someone else"), kRasSuccess);

  EXPECT_EQ(Keyfile("broken.nmconnection"), garbage);
  EXPECT_EQ(Keyfile("no-id"), noId);
  EXPECT_EQ(FolderNames(folder.path()),
            (std::vector<std::string>{".hidden", "broken.nmconnection", "no-id"}));
}

TEST_F(NmPhonebookTest, CancelledLoginWritesNothing) {
  nm.prompt.login = std::nullopt;
  EXPECT_EQ(nm.Put(kName), kErrorCancelled);
  EXPECT_TRUE(FolderNames(folder.path()).empty());
  EXPECT_EQ(nm.reloads, 0);
  char text[512];
  nm.phonebook.GetErrorString(kErrorCancelled, text, sizeof text);
  EXPECT_EQ(Cp1251().FromAnsi(text), u"Подключение не создано: не указан логин абонента.");
}

TEST_F(NmPhonebookTest, UnwritableFolderIsRefusedWithNothingLeft) {
  ASSERT_EQ(nm.Put(kName), kRasSuccess);
  const std::string file = std::string(kName) + ".nmconnection";
  const std::string before = Keyfile(file);
  // Readable to the user who tries, as the folder is.
  chmod((folder / file).c_str(), 0644);
  chmod(folder.path().c_str(), 0555);
  const int code = RunWithoutRoot([&] {
    NmPhonebookOn other(folder.path());
    if (other.Put(kName) != kErrorCannotWritePhonebook) return 1;
    if (other.Put("New INTERNET") != kErrorCannotWritePhonebook) return 2;
    if (other.phonebook.DeleteEntry(kName) != kErrorCannotWritePhonebook) return 3;
    return other.reloads == 0 ? 0 : 4;
  });
  chmod(folder.path().c_str(), 0700);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{file});
  EXPECT_EQ(Keyfile(file), before);
}

TEST(NmcliCheck, RefusesAConnectionWithoutAUserName) {
  // The check itself: a keyfile NetworkManager refuses is told apart.
  const NmcliVerdict verdict = AskNmcli(
      "[connection]\nid=x\nuuid=3c5a1c3e-7c57-4a57-9f0e-0d5b1f0d6a01\ntype=pppoe\n\n"
      "[pppoe]\nservice=pelkar\n");
  EXPECT_NE(verdict.exitCode, 0);
  EXPECT_NE(verdict.error.find("pppoe.username"), std::string::npos) << verdict.error;
}

}  // namespace
}  // namespace verolink::host::testing

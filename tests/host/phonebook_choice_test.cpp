// Which phonebook the windowed program uses: NetworkManager, answering or
// not, unless the phonebook file is asked for; one line on standard error
// says which and why.

#include "host/phonebook/phonebook_choice.h"

#include <gtest/gtest.h>

#include <chrono>

#include "host/phonebook/nm_phonebook.h"
#include "host_test_support.h"

namespace verolink::host::testing {
namespace {

class NoLogin : public LoginPrompt {
 public:
  std::optional<LoginAnswer> AskLogin(const LoginRequest&) override { return std::nullopt; }
};

// The line ChosenPhonebook writes, and whether it chose NetworkManager.
std::pair<std::string, bool> Chosen(HostPhonebook& file) {
  NoLogin prompt;
  ::testing::internal::CaptureStderr();
  ChosenPhonebook chosen(file, Cp1251(), prompt);
  return {::testing::internal::GetCapturedStderr(), chosen.networkManager() != nullptr};
}

TEST(PhonebookChoice, NetworkManagerEvenWhereItDoesNotAnswerUnlessTheFileIsAskedFor) {
  TempFolder folder;
  // A system bus that is not there: the choice must not wait for it.
  ScopedVariable bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + folder / "no-bus");
  ScopedVariable book("VEROLINK_PHONEBOOK", std::nullopt);
  ScopedVariable kind(kPhonebookKindVariable, std::nullopt);
  HostPhonebook file(folder / "book.pbk", 2884, Cp1251());
  {
    ScopedVariable named("VEROLINK_PHONEBOOK", folder / "book.pbk");
    EXPECT_EQ(Chosen(file),
              std::make_pair(
                  std::string("verolink: phonebook: file phonebook, named by VEROLINK_PHONEBOOK\n"),
                  false));
  }
  {
    ScopedVariable forced(kPhonebookKindVariable, "file");
    EXPECT_EQ(Chosen(file).first,
              "verolink: phonebook: file phonebook, forced by VEROLINK_PHONEBOOK_KIND\n");
  }
  {
    ScopedVariable forced(kPhonebookKindVariable, "networkmanager");
    EXPECT_EQ(Chosen(file).first.rfind(
                  "verolink: phonebook: NetworkManager, forced by VEROLINK_PHONEBOOK_KIND; it "
                  "does not answer on the system bus, so nothing can be changed: ",
                  0),
              0u);
  }
  // Asked for nothing, where NetworkManager does not answer: every call says
  // so, and no phonebook file is written in its place.
  NoLogin prompt;
  const auto started = std::chrono::steady_clock::now();
  ::testing::internal::CaptureStderr();
  ChosenPhonebook chosen(file, Cp1251(), prompt);
  const std::string line = ::testing::internal::GetCapturedStderr();
  EXPECT_LT(std::chrono::steady_clock::now() - started, kNmTimeout) << "waited for an answer";
  EXPECT_EQ(line.rfind("verolink: phonebook: NetworkManager; it does not answer on the system "
                       "bus, so nothing can be changed: ",
                       0),
            0u)
      << line;
  ASSERT_NE(chosen.networkManager(), nullptr);
  std::uint8_t buffer[264] = {};
  buffer[0] = 8;
  buffer[1] = 1;  // a first record size of 264
  std::uint32_t bytes = sizeof buffer, count = 0;
  EXPECT_EQ(chosen.phonebook().EnumEntries(buffer, bytes, count), kErrorNmNoAnswer);
  EXPECT_EQ(chosen.phonebook().DeleteEntry("Pelkar INTERNET"), kErrorNmNoAnswer);
  const std::vector<std::uint8_t> image = PppoeLikeImage(2884);
  EXPECT_EQ(chosen.phonebook().SetEntryProperties(std::nullopt, "Pelkar INTERNET", image, 2884),
            kErrorNmNoAnswer);
  EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{});
  char text[512];
  chosen.phonebook().GetErrorString(kErrorNmNoAnswer, text, sizeof text);
  EXPECT_EQ(Cp1251().FromAnsi(text),
            u"NetworkManager не отвечает. Подключение не изменено; повторите попытку позже.");
}

}  // namespace
}  // namespace verolink::host::testing

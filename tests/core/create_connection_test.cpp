#include "window/create_connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "doubles/fake_platform.h"
#include "window/main_form.h"

namespace verolink {
namespace {

using testing::CallLog;
using testing::FakePlatform;

constexpr char kQuestion[] =
    "MessageBox:Подключение Pelkar INTERNET существует! Для создания подключения необходимо его "
    "удалить! Удалить сейчас?";
constexpr char kCreated[] = "MessageBox:Подключение создано.";
constexpr char kDisable[] = "netsh firewall set opmode disable";
constexpr char kEnable[] = "netsh firewall set opmode enable";
constexpr char16_t kCaption[] = u"Verolink PPPoE 1.00";

class Workflow : public ::testing::Test {
 protected:
  Workflow() {
    fake.automation.connectionItems = {u"Pelkar INTERNET"};
    form.Load();
  }

  void Press() { form.OnCreateButtonClick(); }

  bool Logged(const std::string& call) const {
    return std::find(fake.log.begin(), fake.log.end(), call) != fake.log.end();
  }
  int Count(const std::string& call) const {
    return static_cast<int>(std::count(fake.log.begin(), fake.log.end(), call));
  }

  FakePlatform fake;
  Platform platform = fake.platform();
  Profile profile = basMain::BuiltInProfile();
  ОсновнаяФорма form{platform, profile};
};

// The steps after the entry is in the way (or not): write, extras, report.
CallLog WriteAndExtras() {
  return {"PumpEvents",
          "QueryEntrySize",
          "SetEntryProperties:Pelkar INTERNET",
          "Sleep:250",
          "Create:Shell.Application",
          "CopyHere:Pelkar INTERNET",
          "Sleep:250",
          std::string("Start:") + kDisable,
          std::string("Wait:") + kDisable,
          "PumpEventsFor:30000",
          std::string("Start:") + kEnable,
          kCreated};
}

TEST_F(Workflow, NewEntryIsWrittenWithBothExtrasInOrder) {
  Press();
  CallLog expected{"EnumEntries"};
  for (const auto& call : WriteAndExtras()) expected.push_back(call);
  EXPECT_EQ(fake.log, expected);
  ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(fake.messageBoxes.shown[0].style, 64);
  EXPECT_EQ(fake.messageBoxes.shown[0].title, kCaption);
  EXPECT_EQ(fake.phonebook.entries, std::vector<std::string>{"Pelkar INTERNET"});
  EXPECT_FALSE(form.Busy());
}

TEST_F(Workflow, ExistingEntryDeclinedLeavesEverythingAlone) {
  fake.phonebook.entries = {"Pelkar INTERNET"};
  fake.messageBoxes.answers = {kAnswerNo};
  Press();
  EXPECT_EQ(fake.log, (CallLog{"EnumEntries", kQuestion}));
  EXPECT_EQ(fake.messageBoxes.shown[0].style, 36);
  EXPECT_EQ(fake.messageBoxes.shown[0].title, kCaption);
  EXPECT_EQ(fake.phonebook.entries, std::vector<std::string>{"Pelkar INTERNET"});
}

TEST_F(Workflow, ExistingEntryReplacedAfterItsShortcutIsRemoved) {
  fake.phonebook.entries = {"Other", "Pelkar INTERNET"};
  fake.messageBoxes.answers = {kAnswerYes};
  Press();
  // Two entries need a second, larger listing call.
  CallLog expected{"EnumEntries",
                   "EnumEntries",
                   kQuestion,
                   "Create:WScript.Shell",
                   "DeleteFile:C:\\Users\\user\\Desktop\\Pelkar INTERNET.lnk",
                   "DeleteEntry:Pelkar INTERNET"};
  for (const auto& call : WriteAndExtras()) expected.push_back(call);
  EXPECT_EQ(fake.log, expected);
}

TEST_F(Workflow, FailedDeletionEndsAfterItsMessageWithTheShortcutGone) {
  fake.phonebook.entries = {"Pelkar INTERNET"};
  fake.phonebook.deleteResult = 5;
  fake.messageBoxes.answers = {kAnswerYes};
  Press();
  EXPECT_EQ(fake.log.back(), "MessageBox:Ошибка удаления подключения!");
  EXPECT_EQ(fake.files.deleted.size(), 1u);
  EXPECT_TRUE(fake.phonebook.writes.empty());
  EXPECT_EQ(fake.eventPump.calls, 0);
  ASSERT_EQ(fake.messageBoxes.shown.size(), 2u);
  EXPECT_EQ(fake.messageBoxes.shown[1].style, 16);
  EXPECT_EQ(fake.messageBoxes.shown[1].title, kCaption);
}

TEST_F(Workflow, UntickedOrGreyedBoxesSkipTheExtras) {
  form.SetCheckValue(ControlId::Ярлык, 0);
  form.SetCheckValue(ControlId::ВключитьФайервол, 2);
  Press();
  EXPECT_EQ(fake.log,
            (CallLog{"EnumEntries", "PumpEvents", "QueryEntrySize",
                     "SetEntryProperties:Pelkar INTERNET", "Sleep:250", "Sleep:250", kCreated}));
}

TEST_F(Workflow, RefusedWriteStopsAfterThePhonebooksMessage) {
  fake.phonebook.setResult = 621;
  fake.phonebook.errorTexts[621] = "Cannot open the phonebook.";
  Press();
  EXPECT_EQ(fake.phonebook.writes.size(), 1u);
  EXPECT_EQ(fake.log.back(), "MessageBox:Cannot open the phonebook.");
  EXPECT_FALSE(Logged("Create:Shell.Application"));
  EXPECT_TRUE(fake.processes.starts.empty());
  EXPECT_FALSE(Logged(kCreated));
  EXPECT_TRUE(fake.sleeper.sleeps.empty());
}

// The phonebook grows between the size-finding call and the listing call.
TEST_F(Workflow, ListingRaceAsksOnceSettledAndEndsBeforeAnyChangeWhenItNeverSettles) {
  fake.phonebook.entries = {"Other", "Pelkar INTERNET"};
  fake.phonebook.growthsBetweenCalls = 1;
  fake.messageBoxes.answers = {kAnswerNo};
  Press();
  EXPECT_EQ(Count("EnumEntries"), 4);
  EXPECT_EQ(fake.log.back(), kQuestion);

  fake.log.clear();
  fake.messageBoxes.shown.clear();
  fake.phonebook.growthsBetweenCalls = -1;
  fake.phonebook.errorTexts[603] = "Buffer too small.";
  Press();
  EXPECT_EQ(fake.log.back(), "MessageBox:Buffer too small.");
  ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(fake.messageBoxes.shown[0].style, 16);
  EXPECT_EQ(fake.messageBoxes.shown[0].title, kCaption);
  EXPECT_EQ(fake.eventLog.errors, std::vector<Text>{u"RasEnumEntries failed = 603"});
  EXPECT_TRUE(fake.phonebook.deletions.empty());
  EXPECT_TRUE(fake.phonebook.writes.empty());
  EXPECT_TRUE(fake.files.deleted.empty());
  EXPECT_TRUE(fake.processes.starts.empty());
  EXPECT_EQ(fake.eventPump.calls, 0);

  // Any other failed listing ends the same way; without a text, the number.
  fake.phonebook.growthsBetweenCalls = 0;
  fake.memory.failingAllocations = {static_cast<int>(fake.memory.allocationSizes.size()) + 1};
  Press();
  EXPECT_EQ(fake.log.back(), "MessageBox:Ошибка 8.");
  EXPECT_TRUE(fake.phonebook.writes.empty());
  EXPECT_FALSE(Logged(kCreated));
}

TEST_F(Workflow, BoxesAreReadWhenTheirStepsCome) {
  // Unticked at the press, ticked while pending events run: the shortcut is
  // made; the firewall box is unticked during the second wait, before step 7.
  form.SetCheckValue(ControlId::Ярлык, 0);
  fake.eventPump.onPump = [this] { form.SetCheckValue(ControlId::Ярлык, 1); };
  fake.sleeper.onSleep = [this](int) {
    if (fake.sleeper.sleeps.size() == 2) form.SetCheckValue(ControlId::ВключитьФайервол, 0);
  };
  Press();
  EXPECT_EQ(fake.automation.copiedToDesktop, std::vector<Text>{u"Pelkar INTERNET"});
  EXPECT_TRUE(fake.processes.starts.empty());
  EXPECT_TRUE(Logged(kCreated));
}

// Presses that come while the window's events run: after the question box
// and during the wait for the firewall command.
TEST_F(Workflow, PressDuringThePendingEventsOrTheFirewallWaitIsIgnored) {
  int pressesWhileBusy = 0;
  fake.eventPump.onPump = [this, &pressesWhileBusy] {
    pressesWhileBusy += form.Busy() ? 1 : 0;
    Press();
  };
  Press();
  EXPECT_EQ(pressesWhileBusy, 2);
  EXPECT_EQ(fake.eventPump.waits.size(), 1u);
  EXPECT_EQ(fake.processes.starts.size(), 2u);
  EXPECT_EQ(Count("EnumEntries"), 1);
  EXPECT_EQ(Count("SetEntryProperties:Pelkar INTERNET"), 1);
  EXPECT_EQ(Count(kCreated), 1);
  EXPECT_FALSE(form.Busy());
}

TEST_F(Workflow, PlatformErrorPassesOnAndTheNextPressRunsAgain) {
  fake.phonebook.enumOverride = [](std::uint8_t*, std::uint32_t&, std::uint32_t&) -> RasError {
    throw PlatformError("rasapi32 missing");
  };
  EXPECT_THROW(Press(), PlatformError);
  EXPECT_FALSE(form.Busy());

  fake.phonebook.enumOverride = nullptr;
  Press();
  EXPECT_TRUE(Logged(kCreated));
}

}  // namespace
}  // namespace verolink

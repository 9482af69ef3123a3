#include "host/system/host_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "doubles/fake_platform.h"
#include "host_test_support.h"

namespace verolink::host {
namespace {

using namespace std::chrono_literals;
using testing::ReadFile;
using testing::ScopedVariable;
using testing::TempFolder;
using testing::WriteScript;

TEST(SplitCommandLine, SplitsOnBlanksOnly) {
  EXPECT_EQ(SplitCommandLine(u"  netsh firewall\tset  opmode \"a b\" "),
            (std::vector<std::string>{"netsh", "firewall", "set", "opmode", "\"a", "b\""}));
  EXPECT_TRUE(SplitCommandLine(u" \t ").empty());
}

TEST(HostProcessLauncher, StartsAndWaitsForPrograms) {
  TempFolder temp;
  HostProcessLauncher launcher;
  const auto touch = launcher.Start(FromUtf8("\ttouch " + (temp / "made") + " "), kWindowHidden);
  EXPECT_TRUE(touch->WaitForExit(5s));  // found on PATH, its argument given
  EXPECT_TRUE(std::filesystem::exists(temp / "made"));
  EXPECT_TRUE(touch->WaitForExit(0ms)) << "an ended process stays ended";
  EXPECT_TRUE(launcher.Start(u"/bin/false", kWindowHidden)->WaitForExit(5s))
      << "a failure ends too";
}

TEST(HostProcessLauncher, MissingProgramIsNotStarted) {
  HostProcessLauncher launcher;
  EXPECT_THROW(launcher.Start(u"verolink-no-such-program set", kWindowHidden), ProcessStartError);
  EXPECT_THROW(launcher.Start(u"/nonexistent/netsh", kWindowHidden), ProcessStartError);
  EXPECT_THROW(launcher.Start(u"   ", kWindowHidden), ProcessStartError);
}

TEST(HostProcessLauncher, WaitIsBoundedAndADroppedProcessIsReaped) {
  TempFolder temp;
  WriteScript(temp / "sleeper", "echo $$ >'" + (temp / "pid") + "'; exec sleep 2");
  HostProcessLauncher launcher;
  {
    const auto sleeper = launcher.Start(FromUtf8(temp / "sleeper"), kWindowHidden);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(sleeper->WaitForExit(50ms));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 50ms);
    EXPECT_LT(waited, 1500ms) << "waited for the process to end";
  }
  // Still running when dropped; once it ends nothing of it may remain.
  std::string pid;
  for (int i = 0; i < 100 && (pid = ReadFile(temp / "pid").value_or("")).empty(); ++i)
    std::this_thread::sleep_for(20ms);
  ASSERT_FALSE(pid.empty()) << "the sleeper never told its process number";
  const auto path = "/proc/" + pid.substr(0, pid.find('\n'));
  for (int i = 0; i < 1000 && ::access(path.c_str(), F_OK) == 0; ++i)
    std::this_thread::sleep_for(20ms);
  EXPECT_NE(::access(path.c_str(), F_OK), 0) << "the child stays a zombie";
}

// Counts the rounds of window events it is asked for; says the program ends
// after `roundsUntilEnding` of them.
class CountingPump : public EventPump {
 public:
  explicit CountingPump(int roundsUntilEnding) : left_(roundsUntilEnding) {}
  int rounds = 0;
  void ProcessPendingEvents() override {}
  bool ProcessEventsFor(std::chrono::milliseconds longest) override {
    ++rounds;
    std::this_thread::sleep_for(longest);
    return --left_ > 0;
  }

 private:
  int left_;
};

TEST(HostProcessLauncher, WaitWithEventsRunsThemUntilTheEndOrUntilTheProgramEnds) {
  HostProcessLauncher launcher;
  CountingPump pump(1000);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(launcher.Start(u"sleep 0.3", kWindowHidden)->WaitForExitProcessingEvents(5s, pump));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(pump.rounds, 6) << "events at least every 50 ms";
  EXPECT_LT(waited, 4s);

  CountingPump ending(2);
  const auto sleeper = launcher.Start(u"sleep 0.3", kWindowHidden);
  EXPECT_FALSE(sleeper->WaitForExitProcessingEvents(100ms, ending));
  EXPECT_EQ(ending.rounds, 2) << "no events once the program ends";
  EXPECT_TRUE(sleeper->WaitForExitProcessingEvents(5s, ending));
}

TEST(HostProcessLauncher, OutputIsHiddenAndInputIsEmpty) {
  TempFolder temp;
  const std::string capture = temp / "terminal";
  const int saved = ::dup(1);
  const int savedErr = ::dup(2);
  const int fd = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(fd, 1);
  ::dup2(fd, 2);
  HostProcessLauncher launcher;
  const auto echo = launcher.Start(u"echo visible", kWindowHidden);
  const auto ls = launcher.Start(u"ls /verolink-nonexistent", kWindowHidden);
  const auto cat = launcher.Start(u"cat", kWindowHidden);  // ends at once on /dev/null
  const bool ended = echo->WaitForExit(5s) && ls->WaitForExit(5s) && cat->WaitForExit(5s);
  ::dup2(saved, 1);
  ::dup2(savedErr, 2);
  ::close(saved);
  ::close(savedErr);
  ::close(fd);
  EXPECT_TRUE(ended);
  EXPECT_EQ(ReadFile(capture).value_or(""), "");
}

TEST(HostProcessLauncher, KeepsTheProgramsDescriptorsPrivate) {
  TempFolder temp;
  const int privateFd = ::dup2(0, 200);  // inheritable, yet never the child's
  WriteScript(temp / "list", "ls /proc/self/fd >'" + (temp / "fds") + "'");
  HostProcessLauncher launcher;
  const auto listing = launcher.Start(FromUtf8(temp / "list"), kWindowHidden);
  ::close(privateFd);
  ASSERT_TRUE(listing->WaitForExit(5s));
  const std::string fds = ReadFile(temp / "fds").value_or("");
  EXPECT_NE(fds.find('0'), std::string::npos) << fds;
  EXPECT_EQ(fds.find("200"), std::string::npos) << fds;
}

}  // namespace
}  // namespace verolink::host

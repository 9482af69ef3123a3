#include "host/system/host_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "window/ui_services.h"

extern char** environ;

namespace verolink::host {

namespace {

// Owns the spawn attributes and file actions for one start.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  ~SpawnSetup() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }

  // stdin from /dev/null, stdout as given (or /dev/null), stderr on /dev/null,
  // every other descriptor closed; a fresh process group, default signals and
  // an empty signal mask.
  void Prepare(int stdoutFd) {
    posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0);
    if (stdoutFd < 0) {
      posix_spawn_file_actions_adddup2(&actions_, 2, 1);
    } else {
      posix_spawn_file_actions_adddup2(&actions_, stdoutFd, 1);
    }
    posix_spawn_file_actions_addclosefrom_np(&actions_, 3);

    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setpgroup(&attributes_, 0);
    posix_spawnattr_setflags(
        &attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  }

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

void WaitBlocking(pid_t pid) {
  while (waitpid(pid, nullptr, 0) == -1 && errno == EINTR) {
  }
}

}  // namespace

std::vector<std::string> SplitCommandLine(const Text& commandLine) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : ToUtf8(commandLine)) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

pid_t SpawnWithOutput(const std::vector<std::string>& argv, int stdoutFd) {
  if (argv.empty()) throw ProcessStartError("empty command line");
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  SpawnSetup setup;
  setup.Prepare(stdoutFd);
  pid_t pid = 0;
  const int error =
      posix_spawnp(&pid, args[0], setup.actions(), setup.attributes(), args.data(), environ);
  if (error != 0) {
    throw ProcessStartError("cannot start " + argv[0] + ": " + std::strerror(error));
  }
  return pid;
}

pid_t SpawnQuietly(const std::vector<std::string>& argv) { return SpawnWithOutput(argv, -1); }

HostStartedProcess::~HostStartedProcess() {
  if (Reaped()) return;
  try {
    std::thread(WaitBlocking, pid_).detach();
  } catch (...) {
    // No thread to spare: the child is reaped when the program ends.
  }
}

bool HostStartedProcess::Reaped() {
  if (ended_) return true;
  int status = 0;
  pid_t result;
  do {
    result = waitpid(pid_, &status, WNOHANG);
  } while (result == -1 && errno == EINTR);
  if (result == 0) return false;
  ended_ = true;  // ended, or reaped elsewhere (ECHILD, e.g. SIGCHLD ignored)
  if (result == pid_ && WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
  return true;
}

bool HostStartedProcess::WaitLooking(std::chrono::milliseconds timeout,
                                     const std::function<void(std::chrono::milliseconds)>& pause) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  auto interval = std::chrono::milliseconds(1);
  while (!Reaped()) {
    const auto now = Clock::now();
    if (now >= deadline) return false;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
    pause(std::min(interval, left));
    interval = std::min(interval * 2, std::chrono::milliseconds(50));
  }
  return true;
}

bool HostStartedProcess::WaitForExit(std::chrono::milliseconds timeout) {
  return WaitLooking(
      timeout, [](std::chrono::milliseconds interval) { std::this_thread::sleep_for(interval); });
}

bool HostStartedProcess::WaitForExitProcessingEvents(std::chrono::milliseconds timeout,
                                                     EventPump& events) {
  bool pumping = true;
  return WaitLooking(timeout, [&](std::chrono::milliseconds interval) {
    // Events end the interval early; the end is looked for after each round.
    if (pumping) pumping = events.ProcessEventsFor(interval);
    if (!pumping) std::this_thread::sleep_for(interval);
  });
}

std::unique_ptr<StartedProcess> HostProcessLauncher::Start(const Text& commandLine,
                                                           int /*windowStyle*/) {
  return std::make_unique<HostStartedProcess>(SpawnQuietly(SplitCommandLine(commandLine)));
}

}  // namespace verolink::host

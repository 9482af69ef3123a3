#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "desktop/process_launcher.h"

namespace verolink::host {

// A command line split on blanks into a program and its arguments. There is no
// shell, so no quoting and nothing a command line could inject.
std::vector<std::string> SplitCommandLine(const Text& commandLine);

// Starts argv[0] (searched on PATH) with stdin, stdout and stderr on /dev/null,
// no descriptors of ours beyond those, and a process group of its own. Raises
// ProcessStartError when it cannot be started; a failed exec (a missing
// program) is reported before this returns, so it never shows as started.
pid_t SpawnQuietly(const std::vector<std::string>& argv);

// A child process that is waited for (reaped) exactly once: by WaitForExit when
// it sees the end, else by the destructor; a child still running then is handed
// to a detached thread that waits for it, so no child stays a zombie.
class HostStartedProcess : public StartedProcess {
 public:
  explicit HostStartedProcess(pid_t pid) : pid_(pid) {}
  HostStartedProcess(const HostStartedProcess&) = delete;
  HostStartedProcess& operator=(const HostStartedProcess&) = delete;
  ~HostStartedProcess() override;

  bool WaitForExit(std::chrono::milliseconds timeout) override {
    return WaitLooking(timeout, nullptr);
  }
  // Looks for the end between rounds of the window's events, at most 50 ms
  // apart.
  bool WaitForExitProcessingEvents(std::chrono::milliseconds timeout, EventPump& events) override {
    return WaitLooking(timeout, &events);
  }

 private:
  // One non-blocking look; true once the child has ended.
  bool Reaped();
  // Looks at growing intervals (1 ms doubling up to 50 ms) until the child
  // has ended or `timeout` has passed, spending each interval on `events`
  // while the program runs, else asleep.
  bool WaitLooking(std::chrono::milliseconds timeout, EventPump* events);

  pid_t pid_;
  bool ended_ = false;
};

// Starts command lines as hidden processes. There are no windows to hide here:
// every process runs with its output on /dev/null, whatever the window style.
class HostProcessLauncher : public ProcessLauncher {
 public:
  std::unique_ptr<StartedProcess> Start(const Text& commandLine, int windowStyle) override;
};

}  // namespace verolink::host

#pragma once

#include <chrono>
#include <memory>
#include <stdexcept>

#include "common/text.h"

namespace verolink {

// Raised when a command line cannot be started as a process.
class ProcessStartError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kWindowHidden = 0;

class EventPump;

// A process started by ProcessLauncher. Dropping it does not stop the process.
class StartedProcess {
 public:
  virtual ~StartedProcess() = default;
  // Waits at most `timeout` for the process to end, blocking the thread; true
  // when it has ended, false when it still runs after `timeout`.
  virtual bool WaitForExit(std::chrono::milliseconds timeout) = 0;
  // The same wait on the user-interface thread, keeping the window alive:
  // the window's events are processed through `events` as they come, so it
  // repaints and answers. Once `events` tells that the program is ending, the
  // rest of the wait processes no events. True when the process has ended.
  virtual bool WaitForExitProcessingEvents(std::chrono::milliseconds timeout,
                                           EventPump& events) = 0;
};

// Starts a command line as a new process with the given window style, without
// waiting for it; raises ProcessStartError when it cannot be started.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  virtual std::unique_ptr<StartedProcess> Start(const Text& commandLine, int windowStyle) = 0;
};

}  // namespace verolink

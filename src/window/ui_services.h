#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace verolink {

// Raised by a platform facility that is missing (a library or function that
// cannot be found).
class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The window's event processing, on the user-interface thread. The handlers
// that run inside these calls may re-enter the program (a click on the
// button, say); the program guards against that itself.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Processes the window's pending events once, without waiting for more.
  virtual void ProcessPendingEvents() = 0;
  // Waits at most `longest` for window events and processes those that come;
  // returns as soon as it has processed some. True while the program goes on;
  // false once it is ending (its window closed, the quit message met), when
  // nothing more is processed and the caller should stop pumping.
  virtual bool ProcessEventsFor(std::chrono::milliseconds longest) = 0;
};

// A blocking wait in milliseconds (Sleep).
class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void SleepMilliseconds(int milliseconds) = 0;
};

inline constexpr int kSwShowMaximized = 3;

// ShellExecuteA(owner 0, verb, file, parameters, directory, showCommand): all
// texts single-byte. The result is not told; it may raise PlatformError.
class Browser {
 public:
  virtual ~Browser() = default;
  virtual void ShellExecute(const std::string& verb, const std::string& file,
                            const std::string& parameters, const std::string& directory,
                            int showCommand) = 0;
};

inline constexpr std::uint32_t kIccUserExClasses = 0x200;

// InitCommonControlsEx with an INITCOMMONCONTROLSEX record {size, classes};
// raises PlatformError when the library or the function cannot be found.
class CommonControls {
 public:
  virtual ~CommonControls() = default;
  virtual void InitCommonControlsEx(std::uint32_t recordSize, std::uint32_t classes) = 0;
};

}  // namespace verolink

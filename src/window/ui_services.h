#pragma once

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

// Lets the window process its pending events once.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessPendingEvents() = 0;
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

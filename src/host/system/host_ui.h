#pragma once

#include <chrono>
#include <thread>

#include "window/ui_services.h"

namespace verolink::host {

// The toolkit draws its own widgets; there are no common controls to prepare.
class HostCommonControls : public CommonControls {
 public:
  void InitCommonControlsEx(std::uint32_t, std::uint32_t) override {}
};

// A blocking wait on the calling thread.
class HostSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int milliseconds) override {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace verolink::host

#include "host/system/host_ui.h"

#include <chrono>
#include <thread>

namespace verolink::host {

void HostSleeper::SleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace verolink::host

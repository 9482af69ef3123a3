#include "desktop/firewall.h"

#include <exception>
#include <memory>

namespace verolink::IpFw {

namespace {

// Starts one hidden command; a command that cannot be started is passed over.
std::unique_ptr<StartedProcess> StartHidden(Platform& platform, const char16_t* commandLine) {
  try {
    return platform.processes.Start(commandLine, kWindowHidden);
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace

void RestartFirewall(Platform& platform) {
  // The enabling command must take effect last, so it waits (boundedly) for
  // the disabling one to end; the window goes on repainting meanwhile.
  if (const auto disable = StartHidden(platform, kFirewallDisable)) {
    try {
      disable->WaitForExitProcessingEvents(kDisableWait, platform.eventPump);
    } catch (const std::exception&) {
      // Nothing is reported; the enabling command still runs.
    }
  }
  StartHidden(platform, kFirewallEnable);
}

}  // namespace verolink::IpFw

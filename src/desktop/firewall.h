#pragma once

#include <chrono>

#include "start/platform.h"

namespace verolink::IpFw {

inline constexpr char16_t kFirewallDisable[] = u"netsh firewall set opmode disable";
inline constexpr char16_t kFirewallEnable[] = u"netsh firewall set opmode enable";
// How long the enabling command waits for the disabling one to end.
inline constexpr std::chrono::milliseconds kDisableWait{30000};

// Switches the firewall off and on again with two hidden netsh commands, the
// second started once the first has ended; the window's events are processed
// while it waits. Reports nothing.
void RestartFirewall(Platform& platform);

}  // namespace verolink::IpFw

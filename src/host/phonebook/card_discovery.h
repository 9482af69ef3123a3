#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "pppoe/card_choice.h"

namespace verolink::host {

// The discovery helper beside this program (verolink-pppoe-discover), or the
// one $VEROLINK_DISCOVERY_HELPER names.
std::string DiscoveryHelperPath();

// Runs `helper` on every card at once for `service` and reads back what each
// heard. A helper still running after `limit` is stopped and counts as one
// that could not listen, as does one that could not be started; what it says
// on standard error goes to ours.
std::map<std::string, PPPoE::DiscoveryReport> DiscoverCards(const std::string& helper,
                                                            const std::vector<std::string>& cards,
                                                            const std::string& service,
                                                            std::chrono::milliseconds limit);

}  // namespace verolink::host

#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "pppoe/card_choice.h"

namespace verolink::host {

// The discovery helper beside this program (verolink-pppoe-discover), where
// the packages install it and the build puts it.
std::string DiscoveryHelperPath();

// Runs `helper` on every card at once for `service` and reads back what each
// heard. Helpers still running after `limit`, or 250 ms after one card's
// answer, are stopped and count as ones that could not listen, as does one
// that could not be started; what a helper says on standard error goes to ours.
std::map<std::string, PPPoE::DiscoveryReport> DiscoverCards(const std::string& helper,
                                                            const std::vector<std::string>& cards,
                                                            const std::string& service,
                                                            std::chrono::milliseconds limit);

}  // namespace verolink::host

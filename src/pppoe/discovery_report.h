#pragma once

#include <string>
#include <string_view>

#include "pppoe/card_choice.h"
#include "pppoe/discovery_frames.h"

namespace verolink::PPPoE {

// What the discovery helper takes and what it prints. It takes a card name
// and a service name, checked here before anything is sent, and prints one
// line per offer heard, then "done" once it has listened its whole time:
//   offer aa:bb:cc:dd:ee:ff AC-Name
//   done

// An interface name the kernel could have given: 1 to 15 letters, digits,
// '.', '_' or '-', and not "." or "..".
bool IsValidCardName(std::string_view name);
// A service name of at most kMaxServiceName printable ASCII characters
// (empty: any service).
bool IsValidServiceName(std::string_view service);

// The offer's line, with the AC-Name cut to 64 characters and every byte
// outside printable ASCII shown as '?'.
std::string OfferLine(const PadoOffer& offer);
inline constexpr std::string_view kDoneLine = "done\n";

// The helper's output read back; anything not in the form above is ignored,
// and output without "done" is a helper that could not listen.
DiscoveryReport ParseDiscoveryReport(std::string_view output);

}  // namespace verolink::PPPoE

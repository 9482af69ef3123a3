#pragma once

#include <string>
#include <vector>

namespace verolink::host {

// An Ethernet card as NetworkManager sees it.
struct EthernetCard {
  std::string name;   // interface name
  bool link = false;  // a cable with something at its far end
};

// The card a PPPoE connection dials through, when it must name one.
struct CardChoice {
  std::string card;                // chosen without asking; empty: not chosen
  std::vector<std::string> toAsk;  // the subscriber picks among these; empty: nothing to ask
};

// With one card or none, the connection names none and NetworkManager takes
// the card there is. With several, the one card with a link is taken; when
// several have one (or none has), the subscriber is asked among those (or
// among all), as only they know which one the provider's modem is on.
CardChoice ChooseCard(const std::vector<EthernetCard>& cards);

}  // namespace verolink::host

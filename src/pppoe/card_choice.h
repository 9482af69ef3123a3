#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace verolink::PPPoE {

// The Ethernet card a PPPoE connection dials through, on a computer with
// several: found by PPPoE discovery where the provider's concentrator answers,
// else left to the subscriber.

// An Ethernet card as the system's network manager sees it.
struct EthernetCard {
  std::string name;    // interface name
  bool link = false;   // a cable with something at its far end
  std::string vendor;  // as a person knows the card; either may be empty
  std::string product;
};

// What discovery on one card heard: `ran` when it listened for its whole time
// (or until an answer), with the access concentrators that offered the
// provider's service by their AC-Name; not `ran` when it could not listen.
struct DiscoveryReport {
  bool ran = false;
  std::vector<std::string> acNames;
};

// A card the subscriber may pick: its interface name and the words shown.
struct CardOption {
  std::string card;
  std::string label;  // UTF-8
};

struct CardChoice {
  std::string card;               // taken without asking; empty: not taken
  std::string note;               // UTF-8, shown with the login; empty: nothing to say
  std::vector<CardOption> toAsk;  // none chosen in advance; empty: nothing to ask
};

// The cards discovery is tried on: those with a link, when there are several
// cards; none otherwise.
std::vector<std::string> CardsToProbe(const std::vector<EthernetCard>& cards);

// With one card or none, the connection names none and the network manager
// takes the card there is. With several: the one card where the provider's
// concentrator answered is taken; when several answered, the subscriber picks
// among those; when discovery ran and none answered, among all cards, told
// what to check. Where discovery could not run, the one card with a link is
// taken, else the subscriber picks among those with one (or all).
CardChoice ChooseCard(const std::vector<EthernetCard>& cards,
                      const std::map<std::string, DiscoveryReport>& reports);

// "Vendor Product (name)", or the interface name alone when neither is known.
std::string CardLabel(const EthernetCard& card);

}  // namespace verolink::PPPoE

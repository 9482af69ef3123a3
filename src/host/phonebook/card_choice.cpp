#include "host/phonebook/card_choice.h"

namespace verolink::host {

CardChoice ChooseCard(const std::vector<EthernetCard>& cards) {
  if (cards.size() < 2) return {};
  std::vector<std::string> linked;
  std::vector<std::string> all;
  for (const EthernetCard& card : cards) {
    all.push_back(card.name);
    if (card.link) linked.push_back(card.name);
  }
  if (linked.size() == 1) return {linked.front(), {}};
  return {{}, linked.empty() ? all : linked};
}

}  // namespace verolink::host

#include "phonebook/entry_copies.h"

#include <algorithm>

namespace verolink::modRASVPN {

std::vector<std::string> CopiesToDelete(const std::vector<EntryCopy>& now, const std::string& mine,
                                        const std::vector<std::string>& replaced) {
  const auto own = std::ranges::find(now, mine, &EntryCopy::uuid);
  if (own == now.end()) return {};
  std::vector<std::string> doomed;
  bool cameFirst = false;
  for (const EntryCopy& other : now) {
    if (other.uuid == mine) continue;
    if (std::ranges::find(replaced, other.uuid) != replaced.end())
      doomed.push_back(other.uuid);
    else if (other.order < own->order)
      cameFirst = true;
  }
  if (cameFirst) doomed.push_back(mine);
  return doomed;
}

}  // namespace verolink::modRASVPN

#include "window/entry_exists.h"

#include <algorithm>
#include <vector>

#include "phonebook/entry_listing.h"

namespace verolink {

bool EntryExists(Platform& platform, const Text& name) {
  std::vector<Text> names;
  const int count = modRASVPN::EnumRasEntries(platform, names);
  const auto listed = names.begin() + std::max(count, 0);
  return std::find(names.begin(), listed, name) != listed;
}

}  // namespace verolink

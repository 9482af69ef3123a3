#include "window/entry_exists.h"

#include <algorithm>
#include <vector>

#include "phonebook/entry_listing.h"

namespace verolink {

bool EntryExists(Platform& platform, const Text& name, RasError& listingFailure) {
  std::vector<Text> names;
  const int count = modRASVPN::EnumRasEntries(platform, names, listingFailure);
  const auto listed = names.begin() + std::max(count, 0);
  return std::find(names.begin(), listed, name) != listed;
}

bool EntryExists(Platform& platform, const Text& name) {
  RasError listingFailure = kRasSuccess;
  return EntryExists(platform, name, listingFailure);
}

}  // namespace verolink

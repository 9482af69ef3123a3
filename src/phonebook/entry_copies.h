#pragma once

#include <string>
#include <vector>

namespace verolink::modRASVPN {

// One of several entries a phonebook may hold under one name (NetworkManager
// keeps connections by UUID, not by name).
struct EntryCopy {
  std::string name;  // UTF-8
  std::string uuid;
  // The order in which the phonebook took the entries in: a later one has a
  // larger number.
  unsigned long order = 0;
};

// After the copy `mine` was added, the UUIDs of `now` (the copies of its
// name, `mine` among them) that the write deletes: those of `replaced`, the
// ones listed before the write, which a write replaces; then `mine` itself,
// last, where a copy added since came first (another window's write): that
// one stays, so that both windows end with the same entry. None when `mine`
// is not in `now`.
std::vector<std::string> CopiesToDelete(const std::vector<EntryCopy>& now, const std::string& mine,
                                        const std::vector<std::string>& replaced);

}  // namespace verolink::modRASVPN

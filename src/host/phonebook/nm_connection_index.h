#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/phonebook/nm_connection_folder.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The listing of a keyfile folder (the files NetworkManager loads and their
// ids), kept between calls and between runs in a cache file, so that only
// files that changed are read again. A kept file counts only when it was read
// at least kSettleMs after its last change: a change within the same clock
// tick as that read would not show in its times. A cache file that is
// damaged, or of another folder, is ignored and written anew; one that
// cannot be written only makes the next run slower.
class ConnectionIndex {
 public:
  // Timestamps are coarse (a clock tick); this is well above any tick.
  static constexpr std::int64_t kSettleMs = 100;

  // `cachePath` empty: kept in memory only.
  explicit ConnectionIndex(std::string cachePath) : cachePath_(std::move(cachePath)) {}

  // The folder's files with their ids, in the folder's order. A missing
  // folder lists nothing; 621 when the folder cannot be read.
  RasError List(const std::string& folder, ListingCheck check, std::vector<ConnectionFile>& files);

 private:
  struct Stamp {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t mtimeNs = 0, ctimeNs = 0;
    bool operator==(const Stamp&) const = default;
  };
  struct Kept {
    std::string fileName;
    std::string id;
    Stamp stamp;
    bool settled = false;
    bool operator==(const Kept&) const = default;
  };

  RasError Scan(const std::string& folder, ListingCheck check, const Stamp& folderStamp,
                std::int64_t nowNs);
  void Load(const std::string& folder);
  void Save() const;

  std::string cachePath_;
  bool loaded_ = false;
  std::string folder_;
  Stamp folderStamp_;
  bool folderSettled_ = false;
  std::vector<Kept> files_;
};

// The cache file of a folder's listing: $XDG_CACHE_HOME (absolute), else
// ~/.cache, then verolink/nm-<hash of the folder's path>.index. Empty when no
// home folder is known.
std::string ConnectionIndexPath(const std::string& folder);

}  // namespace verolink::host

#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/phonebook/nm_connection_folder.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The listing of a keyfile folder (the files NetworkManager loads and their
// ids), kept between calls and between runs in a cache file, so that only
// files that changed are read again. While the folder's own stamp (inode,
// times) is unchanged no file was added, removed or renamed, and the kept
// listing is taken as it is; else each file is looked at, and read again
// when its inode, size or times differ. A file replaced by a rename (as
// NetworkManager, nmcli, most editors and this program write them) therefore
// always shows; one rewritten in place shows once anything else in the
// folder changes. Callers that change a file read it again first. A kept stamp counts only when it
// was taken at least kSettleMs after its last change: a change within the same clock tick would not
// show in its times. A cache file that is damaged, or of another folder, is ignored and written
// anew; one that cannot be written only makes the next run slower.
class ConnectionIndex {
 public:
  // Timestamps are coarse (a clock tick); this is well above any tick.
  static constexpr std::int64_t kSettleMs = 100;

  // `cachePath` empty: kept in memory only.
  explicit ConnectionIndex(std::string cachePath) : cachePath_(std::move(cachePath)) {}

  // Points `files` at the folder's files with their ids, in the folder's
  // order, valid until the next call. A missing folder lists nothing; 621
  // when the folder cannot be read.
  RasError List(const std::string& folder, const std::vector<ConnectionFile>*& files);

 private:
  struct Stamp {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t mtimeNs = 0, ctimeNs = 0;
    bool operator==(const Stamp&) const = default;
  };
  // What was seen of a file when it was read.
  struct Seen {
    Stamp stamp;
    bool settled = false;
    bool operator==(const Seen&) const = default;
  };

  static Stamp StampOf(const struct stat& st);
  RasError Scan(const std::string& folder, const Stamp& folderStamp, std::int64_t nowNs);
  void Load(const std::string& folder);
  void Save() const;

  std::string cachePath_;
  bool loaded_ = false;
  std::string folder_;
  Stamp folderStamp_;
  bool folderSettled_ = false;
  std::vector<ConnectionFile> files_;
  std::vector<Seen> seen_;  // one for each of files_
};

// The cache file of a folder's listing: $XDG_CACHE_HOME (absolute), else
// ~/.cache, then verolink/nm-<hash of the folder's path>.index. Empty when no
// home folder is known.
std::string ConnectionIndexPath(const std::string& folder);

}  // namespace verolink::host

#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/phonebook/file_version.h"
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
// folder changes. Callers that change a file read it again first. A kept
// stamp counts only once it is settled (file_version.h): a change within the
// same clock tick would not show in its times. A cache file that is damaged,
// or of another folder, is ignored and written anew; one that cannot be
// written only makes the next run slower.
class ConnectionIndex {
 public:
  // `cachePath` empty: kept in memory only.
  explicit ConnectionIndex(std::string cachePath) : cachePath_(std::move(cachePath)) {}

  // Points `files` at the folder's files with their ids, in the folder's
  // order, valid until the next call. A missing folder lists nothing; 621
  // when the folder cannot be read.
  RasError List(const std::string& folder, const std::vector<ConnectionFile>*& files);

 private:
  // What was seen of a file when it was read.
  struct Seen {
    FileVersion stamp;
    bool settled = false;
    bool operator==(const Seen&) const = default;
  };

  RasError Scan(const std::string& folder, const FileVersion& folderStamp,
                const timespec& lookedAt);
  void Load(const std::string& folder);
  void Save() const;

  std::string cachePath_;
  bool loaded_ = false;
  std::string folder_;
  FileVersion folderStamp_;
  bool folderSettled_ = false;
  std::vector<ConnectionFile> files_;
  std::vector<Seen> seen_;  // one for each of files_
};

// The cache file of a folder's listing: $XDG_CACHE_HOME (absolute), else
// ~/.cache, then verolink/nm-<hash of the folder's path>.index. Empty when no
// home folder is known.
std::string ConnectionIndexPath(const std::string& folder);

}  // namespace verolink::host

#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/ras_phonebook.h"

namespace verolink::host {

class ConnectionIndex;

// One file of the folder that NetworkManager loads, and the connection.id it
// holds: empty when the file has none or is damaged (NetworkManager then
// refuses it too).
struct ConnectionFile {
  std::string fileName;
  std::string id;  // UTF-8
  bool operator==(const ConnectionFile&) const = default;
};

// Largest keyfile read; anything bigger is no connection of ours.
inline constexpr std::size_t kMaxKeyfileBytes = 1u << 20;

// NetworkManager's keyfile folder (system-connections). Every change is one
// whole file replaced atomically, mode 0600 (NetworkManager refuses keyfiles
// that others may read); no other file is ever written or removed.
class ConnectionFolder {
 public:
  // `indexPath`: the cache file of the folder's listing (nm_connection_index.h);
  // empty keeps it in memory only.
  explicit ConnectionFolder(std::string path, std::string indexPath = {});
  ~ConnectionFolder();

  // Points `files` at the files NetworkManager loads (NetworkManagerLoads
  // below) with their ids, in the folder's order, as the kept listing
  // (nm_connection_index.h) has them; valid until the next call. A missing
  // folder lists nothing; 621 when the folder cannot be read.
  RasError List(const std::vector<ConnectionFile>*& files) const;
  // A file's text: 623 when it is not there, 621 when it cannot be read.
  RasError Read(const std::string& fileName, std::string& text) const;
  // Whether anything at all has that name in the folder.
  bool Holds(const std::string& fileName) const;
  // Writes the file through a synced temporary file renamed over it; 624
  // when it cannot (read-only or full file system, no folder, no rights),
  // with the old file left as it was.
  RasError Write(const std::string& fileName, std::string_view text) const;
  // Removes the file: 623 when it is not there, 624 when it cannot.
  RasError Remove(const std::string& fileName) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<ConnectionIndex> index_;
};

// A keyfile's whole text through an open descriptor: 621 when it cannot be
// read, 625 when it is larger than kMaxKeyfileBytes.
RasError ReadKeyfile(int fd, std::string& text);

// The connection.id of a keyfile's text; empty when it has none or is not a
// keyfile GLib would read.
std::string ConnectionIdOf(std::string_view text);

// Whether NetworkManager loads a file of this name from its folder: not
// hidden, not a backup or package manager's leftover.
bool NetworkManagerLoads(std::string_view fileName);

// The file name NetworkManager would give a connection of this id: the id
// with '/' and control characters made '_', a '_' put before a leading '.', cut at a
// character's end to leave room for a suffix, then ".nmconnection". With
// `unique` (a UUID) added before the ending for a name already taken.
std::string ConnectionFileName(std::string_view id, std::string_view unique = {});

}  // namespace verolink::host

#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "host/phonebook/host_phonebook_base.h"
#include "host/phonebook/login_prompt.h"
#include "host/phonebook/nm_connection.h"
#include "host/phonebook/nm_connection_folder.h"
#include "host/phonebook/nm_reload.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The Remote Access phonebook as NetworkManager's connections: each entry is
// one keyfile of type pppoe in the connections folder (nm_connection.h says
// what goes into it), its connection.id the entry's name. Every connection
// of the folder is listed, whatever its type; a write or a deletion touches
// the files of that one name only, and asks a running NetworkManager to
// reload. A damaged neighbouring file is listed by nothing and left alone.
// The error numbers are those of host_phonebook_errors.h. One caller at a
// time, as on the platform.
class NmPhonebook : public HostPhonebookBase {
 public:
  // `entrySize` is the size reported for the platform's entry structure;
  // `codePage` is the system code page of the texts handed in; `prompt` asks
  // the login each write needs; `reload` is called after each change;
  // `indexPath` is the cache file of the folder's listing
  // (nm_connection_index.h), none when empty. Every file the listing names
  // for an entry is read again before it is written over, removed or shown,
  // so that a keyfile rewritten in place since is never taken for another.
  NmPhonebook(std::string folder, std::uint32_t entrySize, const CodePage& codePage,
              LoginPrompt& prompt, std::function<void()> reload = RequestConnectionReload,
              std::string indexPath = {});

  // Writes the entry's connection over the file that holds a connection of
  // that name, else into a new file named after it (made unique when the
  // name is taken by another file). The login is asked first, offering the
  // one of the connection replaced or last deleted under that name; 1223
  // when the user cancels, with nothing written. A named phonebook is taken
  // as the path of a connections folder.
  RasError SetEntryProperties(const std::optional<std::string>& phonebook,
                              const std::string& entryName, std::span<const std::uint8_t> image,
                              std::uint32_t entrySize) override;
  // Lists the ids of the folder's connections that fit an entry name (at
  // most 256 bytes in the code page).
  RasError EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                       std::uint32_t& entryCount) override;
  // Removes every file holding a connection of that name; 623 when none does.
  RasError DeleteEntry(const std::string& entryName) override;

  // The pppoe connection of that name read back from its file, and the
  // file's name; 623 when there is none, 625 when the file is not a pppoe
  // connection NetworkManager would load.
  RasError ReadEntry(const std::string& entryName, PppoeConnection& connection,
                     std::string& fileName) const;

  const std::string& folder() const { return folder_.path(); }

 private:
  // The files holding a connection whose id is `entryName` in the code page,
  // each read again to be sure.
  RasError FilesOf(const ConnectionFolder& folder, const std::string& entryName,
                   std::vector<std::string>& fileNames) const;
  // Whether the file, read now, holds a connection of that name.
  bool HoldsEntry(const ConnectionFolder& folder, const std::string& fileName,
                  const std::string& entryName) const;
  // A connection's id as an entry name in the code page.
  std::string AnsiName(const std::string& id) const;
  RasError Write(const ConnectionFolder& folder, const std::string& entryName,
                 const RasEntryRecord& entry);

  ConnectionFolder folder_;
  LoginPrompt& prompt_;
  std::function<void()> reload_;
  // The login of each connection deleted by this object, by entry name, to
  // offer when the entry is written again.
  std::map<std::string, std::string> deletedLogins_;
};

}  // namespace verolink::host

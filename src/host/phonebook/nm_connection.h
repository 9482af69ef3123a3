#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "host/phonebook/nm_keyfile.h"
#include "phonebook/ras_entry_record.h"

namespace verolink::host {

// A PPPoE connection as NetworkManager keeps it, with what the program puts
// in it. Texts are UTF-8.
struct PppoeConnection {
  std::string id;
  std::string uuid;
  std::string service;   // pppoe.service; empty: any access concentrator
  std::string username;  // pppoe.username
  bool autoconnect = false;
  unsigned passwordFlags = 2;  // pppoe.password-flags; 2: not saved, asked at connect time
  // The [ppp] methods refused; every one not named is allowed.
  bool refuseEap = false;
  bool refusePap = false;
  bool refuseChap = false;
  bool refuseMschap = false;
  bool refuseMschapv2 = false;
  bool requireMppe = false;
  bool requireMppe128 = false;
  bool noBsdComp = false;
  bool noDeflate = false;
  bool noVjComp = false;
  bool neverDefault = false;     // ipv4.never-default: no default route through the peer
  std::vector<std::string> dns;  // ipv4.dns, then ignore-auto-dns
  bool ipv6 = false;             // ipv6.method auto, else disabled
  bool operator==(const PppoeConnection&) const = default;
};

// The connection for an entry's record (read back from its image). The id, uuid and username are
// left to the caller; autoconnect is off and the password is asked at connect time.
PppoeConnection ConnectionFromEntry(const RasEntryRecord& entry);

// The keyfile NetworkManager loads for the connection. Keys at
// NetworkManager's default values are left out.
Keyfile ConnectionKeyfile(const PppoeConnection& connection);

// The connection a keyfile describes; nullopt when it is not of type pppoe
// or has no id.
std::optional<PppoeConnection> ReadConnection(const Keyfile& keyfile);

// A fresh random (version 4) UUID in its usual text form.
std::string NewUuid();

}  // namespace verolink::host

#pragma once

#include <memory>
#include <string>

#include "phonebook/ras_entry_record.h"

typedef struct _NMConnection NMConnection;

namespace verolink::host {

struct NmConnectionUnref {
  void operator()(NMConnection* connection) const;
};
using NmConnectionPtr = std::unique_ptr<NMConnection, NmConnectionUnref>;

// Makes PPPoE `connection` dial through Ethernet card `card` (pppoe.parent),
// on a PPP interface named "ppp-<card>".
void NameCard(NMConnection* connection, const std::string& card);

// The NetworkManager connection for an entry record: type pppoe, `id`, a
// fresh UUID, autoconnect off, pppoe.service from the entry's phone number,
// pppoe.username `login` with the password kept by the user's secret agent,
// the PPP methods the entry's options do not allow refused, IPv4 automatic,
// IPv6 only when the entry asks for it, LCP echo requests every 30 s with the
// link taken as lost after 5 unanswered (as NetworkManager's own DSL editor
// sets them), so that a session the provider dropped is noticed. `owner`
// empty: for every user; else that login's own connection. `card` empty:
// NetworkManager picks the Ethernet card; else NameCard. Null when libnm finds
// the connection invalid; its reason then goes to standard error.
NmConnectionPtr PppoeSettings(const RasEntryRecord& entry, const std::string& id,
                              const std::string& login, const std::string& owner,
                              const std::string& card = {});

}  // namespace verolink::host

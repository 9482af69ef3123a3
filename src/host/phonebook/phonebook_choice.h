#pragma once

#include <string>

namespace verolink::host {

inline constexpr char kPhonebookKindVariable[] = "VEROLINK_PHONEBOOK_KIND";
inline constexpr char kNmConnectionsVariable[] = "VEROLINK_NM_CONNECTIONS";
inline constexpr char kDefaultNmConnections[] = "/etc/NetworkManager/system-connections";

enum class PhonebookKind { File, NetworkManager };

// NetworkManager's keyfile folder: $VEROLINK_NM_CONNECTIONS when set, else
// /etc/NetworkManager/system-connections.
std::string NetworkManagerConnectionsFolder();

// The phonebook the program uses, looked up on every call:
// $VEROLINK_PHONEBOOK_KIND "file" or "networkmanager" when set to one of
// them; else the file phonebook when $VEROLINK_PHONEBOOK names a phonebook
// file; else NetworkManager when its folder is there and this process may
// write into it; else the file phonebook.
PhonebookKind ChosenPhonebookKind();

}  // namespace verolink::host

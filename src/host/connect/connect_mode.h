#pragma once

#include <string>

namespace verolink::host {

// The program started by a connection's launcher (`--connect UUID`): the
// connect window for that NetworkManager connection. Its exit status: 0
// when the connection is up, or was ended by the subscriber.
int RunConnectMode(const std::string& uuid);

}  // namespace verolink::host

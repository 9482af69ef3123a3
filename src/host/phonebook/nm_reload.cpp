#include "host/phonebook/nm_reload.h"

#include "host/system/host_process.h"

namespace verolink::host {

void RequestConnectionReload() {
  try {
    // Dropped at once: the process is reaped by a thread of its own.
    HostStartedProcess reload(SpawnQuietly({"nmcli", "connection", "reload"}));
  } catch (const ProcessStartError&) {
    // No nmcli: no NetworkManager to tell.
  }
}

}  // namespace verolink::host

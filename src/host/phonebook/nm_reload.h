#pragma once

namespace verolink::host {

// Asks a running NetworkManager to load its keyfiles again: starts `nmcli
// connection reload` and does not wait for it. Without NetworkManager (or
// nmcli) nothing happens and nothing fails.
void RequestConnectionReload();

}  // namespace verolink::host

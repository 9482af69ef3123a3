#pragma once

#include <string>

#include "common/text.h"

namespace verolink::host {

// Writes what starts the NetworkManager connection `name` (UUID `uuid`),
// replacing what was there: the launcher `<desktop>/<name>.desktop` with the
// program's icon, the user's own and executable (file managers run no other),
// then marked as trusted (launcher_trust.h), or one line on standard error
// saying why it is not; and, where desktops draw no icons, the entry
// `verolink-connection-<uuid>.desktop` of the user's applications menu
// (<DataFolder()>/applications) with the theme's network icon, after which
// any other menu entry of ours for that name is deleted. Raises
// AutomationError when either file cannot be written.
void MakeConnectionLaunchers(const std::string& desktop, const Text& name, const std::string& uuid);

// Deletes the launcher and the menu entries that MakeConnectionLaunchers
// wrote for `name`, with what the metadata store kept about them; any other
// file stays. Reports nothing.
void RemoveConnectionLaunchers(const std::string& desktop, const Text& name);

}  // namespace verolink::host

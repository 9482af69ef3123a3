#pragma once

#include "common/text.h"
#include "start/platform.h"
#include "start/profile.h"

namespace verolink {

namespace Shells {
// Copies every Network Connections item named like the provider's connection
// onto the desktop, where the shell makes a shortcut of it. Any failure is
// shown once in a message box.
void CreateDesktopShortcut(Platform& platform, const Profile& profile);
}  // namespace Shells

namespace Wsh {
// Deletes the desktop file `name` + ".lnk", silently. Never deletes anything
// outside the desktop folder.
void DeleteDesktopShortcut(Platform& platform, const Text& name);
}  // namespace Wsh

}  // namespace verolink

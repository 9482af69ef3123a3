#pragma once

#include "start/platform.h"
#include "start/profile.h"

namespace verolink {

class ОсновнаяФорма;

inline constexpr int kCheckTicked = 1;  // 0 unticked and 2 greyed both count as not ticked
inline constexpr int kStepPauseMs = 250;

// The create-connection workflow behind the main button: ends with the
// phonebook's error when the entries cannot be listed, removes an entry of
// the same name if the user agrees, writes the PPPoE entry, then makes the
// shortcut and restarts the firewall as the check boxes ask (read when each
// step comes), and reports. Errors raised by a platform facility pass on to
// the caller.
void CreateConnection(Platform& platform, const Profile& profile, const ОсновнаяФорма& form);

}  // namespace verolink

#pragma once

#include "common/text.h"
#include "start/platform.h"

namespace verolink {

// Whether the default phonebook lists an entry named exactly `name` (letter
// case counts, no trimming). A failed listing answers false.
bool EntryExists(Platform& platform, const Text& name);

}  // namespace verolink

#pragma once

#include "common/text.h"
#include "start/platform.h"

namespace verolink {

// Whether the default phonebook lists an entry named exactly `name` (letter
// case counts, no trimming). `listingFailure` is 0 when the listing succeeded;
// otherwise it holds the error that stopped the listing, the answer is false,
// and whether the entry is there is not known.
bool EntryExists(Platform& platform, const Text& name, RasError& listingFailure);

// The same for callers that only want the answer; a failed listing answers
// false.
bool EntryExists(Platform& platform, const Text& name);

}  // namespace verolink

#pragma once

#include "common/text.h"
#include "start/platform.h"

namespace verolink::modRASVPN {

inline constexpr std::uint32_t kErrorTextBufferSize = 512;

// The readable text of a platform error number: the phonebook's own text for
// numbers above 600, the system's message text otherwise; empty when the
// source has none.
Text RasErrorText(Platform& platform, RasError code);

}  // namespace verolink::modRASVPN

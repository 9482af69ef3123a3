#pragma once

#include "common/text.h"
#include "start/platform.h"

namespace verolink::modRASVPN {

inline constexpr std::uint32_t kErrorTextBufferSize = 512;

// The readable text of a platform error number: the phonebook's own text for
// numbers above 600, the system's message text otherwise; empty when the
// source has none.
Text RasErrorText(Platform& platform, RasError code);

// What a message box shows for a platform error number: RasErrorText
// unchanged, or "Ошибка N." when that has nothing to read (empty, or only
// blanks and line breaks; Wine has no text for 632, for one).
Text ShownErrorText(Platform& platform, RasError code);

}  // namespace verolink::modRASVPN

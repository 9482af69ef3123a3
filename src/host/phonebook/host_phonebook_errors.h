#pragma once

#include <cstdint>

#include "common/text.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The phonebook error numbers the host phonebook returns: the platform's own
// Remote Access numbers for the same conditions.
inline constexpr RasError kErrorBufferTooSmall = verolink::kErrorBufferTooSmall;  // 603
// An entry name that is empty, longer than 256 bytes or holds a zero byte.
inline constexpr RasError kErrorWrongInfoSpecified = 604;
// An entry image shorter than its entry size, or whose alternate-number list
// lies outside it or has no end; a listing buffer that is missing.
inline constexpr RasError kErrorBufferInvalid = 610;
// The phonebook file (or its folder) cannot be opened or read.
inline constexpr RasError kErrorCannotOpenPhonebook = 621;
inline constexpr RasError kErrorCannotFindPhonebookEntry = 623;
// The phonebook file cannot be written: read-only or full folder, and the like.
inline constexpr RasError kErrorCannotWritePhonebook = 624;
// The phonebook file's contents are damaged; it is left as it is.
inline constexpr RasError kErrorCorruptPhonebook = 625;
// The phonebook path is a symbolic link to nothing (or into a missing
// folder): the system's ERROR_CANT_ACCESS_FILE. Nothing is read or written.
inline constexpr RasError kErrorDanglingPhonebookLink = 1920;
// The phonebook path's symbolic links form a loop: the system's
// ERROR_CANT_RESOLVE_FILENAME. Nothing is read or written.
inline constexpr RasError kErrorPhonebookLinkLoop = 1921;
// An entry size whose layout does not fit, an image whose own size field
// differs from it, or a listing record size other than 264.
inline constexpr RasError kErrorInvalidSize = verolink::kErrorInvalidSize;  // 632

// The user cancelled a question that the write needs answered (the
// subscriber's login); nothing was written. The platform's ERROR_CANCELLED.
inline constexpr RasError kErrorCancelled = 1223;

// The Russian text of a phonebook error number: its own text for the numbers
// above, a general one naming the number for any other number above 600, and
// the empty text for numbers up to 600 (those are the system's).
Text PhonebookErrorText(std::uint32_t code);

}  // namespace verolink::host

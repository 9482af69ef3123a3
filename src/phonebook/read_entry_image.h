#pragma once

#include <cstdint>
#include <span>

#include "common/code_page.h"
#include "phonebook/ras_entry_record.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::modRASVPN {

// ERROR_BUFFER_INVALID: an image that does not hold what its layout promises.
inline constexpr RasError kErrorBufferInvalid = 610;

// Reads an entry image that BuildEntryImage laid out for `entrySize` back into
// a record, through the same member tables, texts converted from the code
// page. dwSize receives entrySize; members that size does not hold stay 0 or
// empty; a text that fills its field to the last byte is read whole.
// Returns 0 and fills `record` on success. Returns 632 for a size whose
// layout does not fit or an image whose own size field differs from it, 610
// (ERROR_BUFFER_INVALID) for an image shorter than the size or an alternate
// number list that lies outside the image or has no two closing zero bytes;
// `record` is then left as it was.
RasError ReadEntryImage(std::span<const std::uint8_t> image, std::uint32_t entrySize,
                        const CodePage& codePage, RasEntryRecord& record);

}  // namespace verolink::modRASVPN

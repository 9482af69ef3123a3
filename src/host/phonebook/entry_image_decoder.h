#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "host/phonebook/entry_fields.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// Reads an entry image laid out for `entrySize` back into its stored fields,
// entrySize first, then the members that size holds in the file's order.
// Returns 632 for a size whose layout does not fit or an image whose own size
// field differs, 610 for an image shorter than the size or an alternate-number
// list that lies outside it or has no end; `fields` is filled only on success.
RasError DecodeEntryImage(std::span<const std::uint8_t> image, std::uint32_t entrySize,
                          std::vector<StoredField>& fields);

}  // namespace verolink::host

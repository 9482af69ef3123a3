#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/code_page.h"
#include "common/text.h"
#include "phonebook/ras_entry_record.h"
#include "start/platform.h"

namespace verolink::modRASVPN {

// The platform's entry image of `record` for the reported entry size: the
// structure, the alternate numbers appended, two closing zero bytes. Empty for
// a size whose layout cannot hold the members it writes.
std::vector<std::uint8_t> BuildEntryImage(const RasEntryRecord& record, std::uint32_t entrySize,
                                          const CodePage& codePage);

// Asks the platform for its entry size, lays the record out for it and writes
// it under `entryName`; an empty `phonebook` is the default phonebook. Returns
// the platform's error number of the last phonebook operation, 0 on success.
RasError SetRasEntry(Platform& platform, const Text& entryName, const RasEntryRecord& record,
                     const Text& phonebook);

// Places the single-byte form of `text` into a fixed-width field of the
// image, keeping the field's last byte for the terminating zero and cutting
// only between characters.
void CopyStringToBuffer(std::uint8_t* destination, TextView text, std::size_t maxBytes,
                        const CodePage& codePage);

}  // namespace verolink::modRASVPN

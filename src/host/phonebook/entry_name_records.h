#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The longest name a listing record holds: its 257-byte field, ended by a zero.
inline constexpr std::size_t kMaxEntryNameBytes = 256;

// Whether a listing can carry this single-byte name: 1 to 256 bytes, no zero
// byte.
bool IsValidEntryName(std::string_view name);

// The listing buffer's checks as RasEnumEntriesA makes them: 610 for a
// missing buffer with a byte count, 632 when the first record's size field
// is not 264. 0 when the listing may go on.
RasError CheckListingBuffer(const std::uint8_t* buffer, std::uint32_t byteCount);

// Fills the checked buffer with one 264-byte record for each of `count`
// names (at most 256 bytes each): sets entryCount, and returns 603 with the
// byte count needed when the buffer is too small, else 0.
RasError FillEntryNameRecords(std::size_t count,
                              const std::function<std::string_view(std::size_t)>& nameAt,
                              std::uint8_t* buffer, std::uint32_t& byteCount,
                              std::uint32_t& entryCount);

}  // namespace verolink::host

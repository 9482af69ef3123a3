#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/code_page.h"
#include "common/text.h"
#include "start/platform.h"

namespace verolink::modRASVPN {

// One record of the platform's entry listing (RASENTRYNAMEA): a 32-bit size,
// then the name in 257 bytes; the program writes and walks it as 264 bytes.
inline constexpr std::uint32_t kEntryNameRecordSize = 264;
inline constexpr std::uint32_t kEntryNameFieldSize = 257;
inline constexpr std::size_t kInitialNameSlots = 40;

// How many times the pair of listing calls (the first, small one that learns
// the size, then the one with a block of that size) is made when the phonebook
// grows between them, so that the second call, too, asks for more room (603).
inline constexpr int kListingAttempts = 3;
// The error a listing reports when its memory block cannot be had: the
// system's ERROR_NOT_ENOUGH_MEMORY.
inline constexpr RasError kErrorNotEnoughMemory = 8;

// Lists the default phonebook's entry names into `names` (passed in empty) and
// returns how many there are. On success `failure` is 0. A listing that fails
// lists no names, returns 0, writes one event to the event log (for the
// attempt that ended it; a pair that is tried again writes none) and sets
// `failure` to the phonebook's error number (kErrorNotEnoughMemory when no
// block could be had).
int EnumRasEntries(Platform& platform, std::vector<Text>& names, RasError& failure);

// The same for callers that only want the names.
int EnumRasEntries(Platform& platform, std::vector<Text>& names);

// The text of a zero-ended single-byte field; the field's last byte is never
// part of it.
Text ByteArrayToString(std::span<const std::uint8_t> bytes, const CodePage& codePage);

}  // namespace verolink::modRASVPN

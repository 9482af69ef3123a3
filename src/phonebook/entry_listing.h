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

// Lists the default phonebook's entry names into `names` (passed in empty) and
// returns how many there are. A failure is written to the event log and
// lists no names.
int EnumRasEntries(Platform& platform, std::vector<Text>& names);

// The text of a zero-ended single-byte field; the field's last byte is never
// part of it.
Text ByteArrayToString(std::span<const std::uint8_t> bytes, const CodePage& codePage);

}  // namespace verolink::modRASVPN

#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace verolink::fuzzing {

// Lists the phonebook through EnumRasEntries and EntryExists while the
// platform's listing answers from `data`: per call a result, a byte count, a
// record count and the bytes it leaves in the buffer. Returns what went wrong
// (a promise of the listing that did not hold), or the empty text.
std::string RunListing(std::span<const std::uint8_t> data);

}  // namespace verolink::fuzzing

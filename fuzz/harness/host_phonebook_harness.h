#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace verolink::fuzzing {

// Reads `data` as the text of a phonebook file. A file that reads must hold
// valid, distinct entry names, each with the fields of its entry size, and
// must read back the same once written out again. Returns what went wrong,
// or the empty text.
std::string RunPhonebookFile(std::span<const std::uint8_t> data);

// Decodes the rest of `data` as an entry image for an entry size chosen by
// its first bytes (mostly the platform's sizes, sometimes any number). An
// image that decodes must give the fields of its size, and those must survive
// the trip through the phonebook file; one that does not leaves the fields
// alone. Returns what went wrong, or the empty text.
std::string RunImageDecoder(std::span<const std::uint8_t> data);

}  // namespace verolink::fuzzing

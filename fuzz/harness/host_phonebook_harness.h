#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace verolink::fuzzing {

// Reads `data` as the text of a phonebook file. A file that reads must hold
// names the file can hold, each once, and must read back the same once
// written out again; one that does not leaves the entries alone. Returns what went wrong,
// or the empty text.
std::string RunPhonebookFile(std::span<const std::uint8_t> data);

// Reads the rest of `data` back as an entry image (ReadEntryImage) for an
// entry size chosen by its first bytes (mostly the platform's sizes,
// sometimes any number). A record that reads must give a stable image and
// survive the trip through the phonebook file; an image that does not read
// leaves the record alone. Returns what went wrong, or the empty text.
std::string RunImageDecoder(std::span<const std::uint8_t> data);

}  // namespace verolink::fuzzing

#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace verolink::fuzzing {

// Reads `data` as a frame from the wire with the discovery helper's PADO
// parser, as it is and with its address and type made ours so that the
// parser reads on into the tags; an offer taken must round-trip through the
// helper's report as one printable AC-Name of at most 64 characters. Returns
// what went wrong, or the empty text.
std::string RunPado(std::span<const std::uint8_t> data);

}  // namespace verolink::fuzzing

#pragma once

// Reading values back out of an entry image in tests.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace verolink::testing {

inline std::uint32_t U32At(std::span<const std::uint8_t> image, std::size_t offset) {
  return static_cast<std::uint32_t>(image[offset]) | image[offset + 1] << 8 |
         image[offset + 2] << 16 | static_cast<std::uint32_t>(image[offset + 3]) << 24;
}

// The zero-ended single-byte text at offset.
inline std::string TextAt(std::span<const std::uint8_t> image, std::size_t offset) {
  std::string text;
  while (offset < image.size() && image[offset] != 0) text += static_cast<char>(image[offset++]);
  return text;
}

// The offset of the first byte in which the two images differ, or -1 when they
// are equal (a length difference counts at the shorter one's end).
inline long FirstDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<long>(i);
  }
  return a.size() == b.size() ? -1 : static_cast<long>(n);
}

}  // namespace verolink::testing

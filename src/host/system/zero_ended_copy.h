#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace verolink::host {

// Copies `text` into a caller's buffer of `size` bytes, cut so that the
// terminating zero always fits; a buffer of size 0 is left untouched.
inline void CopyZeroEnded(std::string_view text, char* buffer, std::uint32_t size) {
  if (buffer == nullptr || size == 0) return;
  const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace verolink::host

#pragma once

#include <cstdlib>

#include "phonebook/memory_blocks.h"

namespace verolink::host {

// Zero-filled blocks from the C heap. A block of 0 bytes is still a block of
// its own, as the platform's allocator gives one.
class HostMemoryBlocks : public MemoryBlocks {
 public:
  std::uint8_t* AllocateZeroed(std::size_t bytes) override {
    return static_cast<std::uint8_t*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
  }
  void Release(std::uint8_t* block) override { std::free(block); }
};

}  // namespace verolink::host

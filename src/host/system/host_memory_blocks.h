#pragma once

#include "phonebook/memory_blocks.h"

namespace verolink::host {

// Zero-filled blocks from the C heap. A block of 0 bytes is still a block of
// its own, as the platform's allocator gives one.
class HostMemoryBlocks : public MemoryBlocks {
 public:
  std::uint8_t* AllocateZeroed(std::size_t bytes) override;
  void Release(std::uint8_t* block) override;
};

}  // namespace verolink::host

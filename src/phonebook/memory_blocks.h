#pragma once

#include <cstddef>
#include <cstdint>

namespace verolink {

// Zero-filled memory blocks from the platform (LocalAlloc(LMEM_ZEROINIT) and
// LocalFree), used for the entry listing.
class MemoryBlocks {
 public:
  virtual ~MemoryBlocks() = default;
  // A zero-filled block of `bytes` bytes, or nullptr when none can be had.
  virtual std::uint8_t* AllocateZeroed(std::size_t bytes) = 0;
  virtual void Release(std::uint8_t* block) = 0;
};

}  // namespace verolink

#pragma once

#include "phonebook/memory_blocks.h"

namespace verolink::win32 {

// LocalAlloc(LMEM_ZEROINIT) and LocalFree.
class LocalMemory : public MemoryBlocks {
 public:
  std::uint8_t* AllocateZeroed(std::size_t bytes) override;
  void Release(std::uint8_t* block) override;
};

}  // namespace verolink::win32

#include "host/system/host_memory_blocks.h"

#include <cstdlib>

namespace verolink::host {

std::uint8_t* HostMemoryBlocks::AllocateZeroed(std::size_t bytes) {
  return static_cast<std::uint8_t*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
}

void HostMemoryBlocks::Release(std::uint8_t* block) { std::free(block); }

}  // namespace verolink::host

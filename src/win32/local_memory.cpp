#include "win32/local_memory.h"

#include "win32/windows_api.h"

namespace verolink::win32 {

std::uint8_t* LocalMemory::AllocateZeroed(std::size_t bytes) {
  // A fixed block: the handle is the block's address.
  return static_cast<std::uint8_t*>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, bytes));
}

void LocalMemory::Release(std::uint8_t* block) {
  if (block != nullptr) LocalFree(block);
}

}  // namespace verolink::win32

#include "win32/system_messages.h"

#include "win32/windows_api.h"

namespace verolink::win32 {

void SystemMessageTable::FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) {
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, buffer, size, nullptr);
}

}  // namespace verolink::win32

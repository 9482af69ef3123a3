#include "win32/system_messages.h"

#include "win32/windows_api.h"

namespace verolink::win32 {

void SystemMessageTable::FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) {
  // Without arguments to insert, a text with "%1" (193, for one) must be taken
  // as it stands: formatting its inserts would fail or read what is not there.
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                 buffer, size, nullptr);
}

}  // namespace verolink::win32

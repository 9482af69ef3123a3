#pragma once

#include "phonebook/system_messages.h"

namespace verolink::win32 {

// FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, null, code, 0, buffer, size, null).
class SystemMessageTable : public SystemMessages {
 public:
  void FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) override;
};

}  // namespace verolink::win32

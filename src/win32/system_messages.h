#pragma once

#include "phonebook/system_messages.h"

namespace verolink::win32 {

// FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, null, code,
// 0, buffer, size, null): the system's text for code, its inserts such as "%1"
// left as they stand, ended by a zero byte; nothing written for an unknown code.
class SystemMessageTable : public SystemMessages {
 public:
  void FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) override;
};

}  // namespace verolink::win32

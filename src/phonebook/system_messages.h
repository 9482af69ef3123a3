#pragma once

#include <cstdint>

namespace verolink {

// The system's message table (FormatMessageA with FORMAT_MESSAGE_FROM_SYSTEM,
// language 0, no inserts): writes the text of a general system error into
// buffer, ended by a zero byte, or leaves the buffer untouched.
class SystemMessages {
 public:
  virtual ~SystemMessages() = default;
  virtual void FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) = 0;
};

}  // namespace verolink

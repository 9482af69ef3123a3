#pragma once

#include "common/code_page.h"
#include "phonebook/system_messages.h"

namespace verolink::host {

// The general system error texts the program may show, in Russian and ended
// by CRLF as the platform's own message table has them. An unknown number
// leaves the buffer untouched.
class HostSystemMessages : public SystemMessages {
 public:
  explicit HostSystemMessages(const CodePage& codePage) : codePage_(codePage) {}
  void FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) override;

 private:
  const CodePage& codePage_;
};

}  // namespace verolink::host

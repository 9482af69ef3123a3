#pragma once

#include <array>

#include "common/code_page.h"

namespace verolink::win32 {

// The system's ANSI code page (CP_ACP), one byte per UTF-16 code unit.
class AnsiCodePage : public CodePage {
 public:
  AnsiCodePage();
  std::string ToAnsi(TextView text) const override;
  Text FromAnsi(std::string_view bytes) const override;

 private:
  std::array<char16_t, 256> fromByte_;  // each byte converted on its own
};

}  // namespace verolink::win32

#pragma once

#include <array>

#include "common/code_page.h"

namespace verolink::win32 {

// A Windows code page, by default the system's ANSI code page (CP_ACP as
// GetACP names it). Single-byte code pages convert one byte per UTF-16 code
// unit, without best-fit guesses; double-byte code pages (932, 936, 949, 950)
// and UTF-8 (65001, "Use Unicode UTF-8 for worldwide language support")
// convert whole texts with the flags that each of them accepts.
class AnsiCodePage : public CodePage {
 public:
  // 0 (CP_ACP) is the system's ANSI code page.
  explicit AnsiCodePage(unsigned codePage = 0);
  std::string ToAnsi(TextView text) const override;
  Text FromAnsi(std::string_view bytes) const override;
  std::size_t WholeCharacterBytes(std::string_view bytes, std::size_t maxBytes) const override;

  unsigned number() const { return codePage_; }

 private:
  enum class Kind { kSingleByte, kLeadBytes, kUtf8 };

  unsigned codePage_;
  Kind kind_;
  std::array<char16_t, 256> fromByte_{};  // single-byte pages: each byte on its own
};

}  // namespace verolink::win32

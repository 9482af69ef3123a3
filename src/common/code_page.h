#pragma once

#include <string>
#include <string_view>

#include "common/text.h"

namespace verolink {

// The system's single-byte ("ANSI") code page. Every platform call that takes
// text gets it in this form, converted just before the call.
class CodePage {
 public:
  virtual ~CodePage() = default;
  // One byte per UTF-16 code unit; a character the code page lacks becomes '?'.
  virtual std::string ToAnsi(TextView text) const = 0;
  // One UTF-16 code unit per byte.
  virtual Text FromAnsi(std::string_view bytes) const = 0;
};

}  // namespace verolink

#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/text.h"

namespace verolink {

// The system's "ANSI" code page. Every platform call that takes text gets it
// in this form, converted just before the call. On a single-byte code page
// (1251, 1252, ...) every UTF-16 code unit is one byte; on a multi-byte one
// (932, UTF-8 as 65001, ...) a character takes as many bytes as the code page
// gives it.
class CodePage {
 public:
  virtual ~CodePage() = default;
  // The whole text in the code page; a character the code page lacks becomes
  // '?'. On a single-byte code page: one byte per UTF-16 code unit.
  virtual std::string ToAnsi(TextView text) const = 0;
  // The bytes read back as text. On a single-byte code page: one UTF-16 code
  // unit per byte.
  virtual Text FromAnsi(std::string_view bytes) const = 0;
  // How many leading bytes of `bytes` (text in this code page), at most
  // `maxBytes`, hold whole characters only: a cut that would split a
  // character is made before it. Every byte is a character on a single-byte
  // code page, which is what this default assumes.
  virtual std::size_t WholeCharacterBytes(std::string_view bytes, std::size_t maxBytes) const {
    return std::min(bytes.size(), maxBytes);
  }
};

}  // namespace verolink

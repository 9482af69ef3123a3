#pragma once

#include <string>

#include "common/text.h"

namespace verolink::win32 {

// On Windows wchar_t is a UTF-16 code unit, so the program's Text goes to the
// wide (W) functions as it is.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* Wide(const Text& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline Text FromWide(const wchar_t* text, std::size_t length) {
  return Text(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace verolink::win32

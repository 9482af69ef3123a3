#include "win32/code_page.h"

#include "win32/windows_api.h"

namespace verolink::win32 {

AnsiCodePage::AnsiCodePage() {
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    wchar_t unit = L'?';
    // A lead byte of a double-byte code page has no character of its own.
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &unit, 1) != 1) unit = L'?';
    fromByte_[b] = static_cast<char16_t>(unit);
  }
}

std::string AnsiCodePage::ToAnsi(TextView text) const {
  std::string out;
  out.reserve(text.size());
  for (const char16_t c : text) {
    const wchar_t unit = static_cast<wchar_t>(c);
    char bytes[4] = {};
    BOOL defaulted = FALSE;
    // No best-fit guesses: a character the code page lacks becomes '?', never a
    // look-alike such as '\' for a full-width backslash in a path.
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes, sizeof bytes,
                                      "?", &defaulted);
    out += (n == 1 && !defaulted) ? bytes[0] : '?';
  }
  return out;
}

Text AnsiCodePage::FromAnsi(std::string_view bytes) const {
  Text out;
  out.reserve(bytes.size());
  for (const char b : bytes) out += fromByte_[static_cast<unsigned char>(b)];
  return out;
}

}  // namespace verolink::win32

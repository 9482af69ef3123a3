#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/code_page.h"

namespace verolink::host {

// How single-byte text (in the system code page) is written into the
// phonebook file: as UTF-8, each byte shown as the character it stands for.
// A byte that has no visible character of its own is written as an escape:
// \\ for a backslash, \n \r \t, and \xHH for any other byte (control bytes,
// bytes the code page leaves undefined, no-break and soft hyphens, blanks at
// either end). Every byte string comes back unchanged.
class AnsiTextEscaping {
 public:
  explicit AnsiTextEscaping(const CodePage& codePage);

  std::string Escape(std::string_view ansi) const;
  // The single-byte text of an escaped form, or nullopt when it holds a bad
  // escape or a character the code page cannot hold.
  std::optional<std::string> Unescape(std::string_view escaped) const;

 private:
  std::array<std::string, 256> shown_;  // UTF-8 of each byte shown as itself, else empty
  std::unordered_map<char16_t, char> bytes_;
};

}  // namespace verolink::host

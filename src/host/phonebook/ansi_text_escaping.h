#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  // Whether Unescape would take the escaped form, without building its text;
  // `canonical` tells whether it is also the very form Escape writes.
  bool Check(std::string_view escaped, bool& canonical) const;
  // Whether `escaped`, which Unescape reads as `text`, is what Escape writes.
  bool IsWrittenForm(std::string_view escaped, std::string_view text) const;

 private:
  // Appends the bytes to `out` when it is given; false on a bad form.
  bool Decode(std::string_view escaped, std::string* out) const;
  // The byte shown as the character, or -1.
  int ByteShownAs(char32_t c) const;

  std::array<std::string, 256> shown_;  // UTF-8 of each byte shown as itself, else empty
  // The bytes shown as characters, by the character's high and low byte: a
  // code page's characters lie on a handful of such pages.
  std::array<std::uint8_t, 256> pageOf_{};  // 0: no byte on that page, else 1 + index
  std::vector<std::array<std::int16_t, 256>> pages_;
};

}  // namespace verolink::host

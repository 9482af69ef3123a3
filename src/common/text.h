#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace verolink {

// The program holds all its text as UTF-16, like the platform's wide strings.
// Text crosses into a platform call as single-byte text (see CodePage) or, for
// toolkits and files that want it, as UTF-8.
using Text = std::u16string;
using TextView = std::u16string_view;

// UTF-8 <-> UTF-16. Invalid input never throws: malformed UTF-8 bytes become
// U+FFFD and unpaired surrogates are written as U+FFFD.
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view utf8);

// The one well-formed UTF-8 sequence at `i`, advancing `i` past it; nullopt
// (and `i` unchanged) for a malformed one, a surrogate or a code point past
// U+10FFFF.
std::optional<char32_t> DecodeUtf8Sequence(std::string_view s, std::size_t& i);

// Removes leading and trailing blanks (U+0020 only, nothing else).
Text TrimSpaces(TextView text);

// The number in decimal, with a leading '-' when negative.
Text ToDecimal(long long value);

}  // namespace verolink

#include "phonebook/error_text.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace verolink::modRASVPN {

Text RasErrorText(Platform& platform, RasError code) {
  // The sources write a zero-ended text into 512 bytes; one more zero byte
  // stands behind them.
  std::array<char, kErrorTextBufferSize + 1> buffer{};
  if (code <= kRasErrorBase) {
    platform.systemMessages.FormatFromSystem(static_cast<std::uint32_t>(code), buffer.data(),
                                             kErrorTextBufferSize);
  } else {
    platform.phonebook.GetErrorString(static_cast<std::uint32_t>(code), buffer.data(),
                                      kErrorTextBufferSize);
  }
  // The text ends at the first zero byte; a buffer without one counts as empty.
  const auto end = buffer.begin() + kErrorTextBufferSize;
  const auto zero = std::find(buffer.begin(), end, '\0');
  if (zero == end) return Text();
  return platform.codePage.FromAnsi(std::string_view(buffer.data(), zero - buffer.begin()));
}

Text ShownErrorText(Platform& platform, RasError code) {
  Text text = RasErrorText(platform, code);
  if (text.find_first_not_of(u" \t\r\n") != Text::npos) return text;
  return u"Ошибка " + ToDecimal(code) + u".";
}

}  // namespace verolink::modRASVPN

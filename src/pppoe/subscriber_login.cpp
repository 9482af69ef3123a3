#include "pppoe/subscriber_login.h"

namespace verolink::PPPoE {

bool IsPossibleLogin(std::string_view login) {
  for (std::size_t i = 0; i < login.size(); ++i) {
    const auto byte = static_cast<unsigned char>(login[i]);
    // U+0080 to U+009F are control characters too: C2 80 to C2 9F.
    const bool c1 =
        byte == 0xC2 && i + 1 < login.size() && static_cast<unsigned char>(login[i + 1]) < 0xA0;
    if (byte < 0x20 || byte == 0x7F || c1) return false;
  }
  return !login.empty();
}

}  // namespace verolink::PPPoE

#pragma once

#include <string_view>

namespace verolink::PPPoE {

// Whether `login` (UTF-8) can be a provider's: not empty, and without the
// control characters (a tab, a line break) that a paste can bring along.
bool IsPossibleLogin(std::string_view login);

// What a login prompt says when it refuses such a login.
inline constexpr char16_t kImpossibleLoginText[] =
    u"Логин абонента не может содержать табуляцию, перевод строки и другие управляющие знаки. "
    u"Введите логин без них.";

}  // namespace verolink::PPPoE

#pragma once

#include "common/text.h"

namespace verolink {

// The provider's values compiled into this build.
struct Profile {
  Text IspName;
  Text SiteUrl;
  Text ConnectionName;  // IspName followed by " INTERNET"
  Text ServiceName;     // the PPPoE service name, written as the phone number
};

inline constexpr char16_t kConnectionNameSuffix[] = u" INTERNET";

namespace basMain {

// The profile as Main fills it: the built-in values, ConnectionName derived.
Profile BuiltInProfile();

// The process-wide profile, filled once at start-up before any reader runs.
const Profile& CurrentProfile();
void SetCurrentProfile(Profile profile);

}  // namespace basMain

}  // namespace verolink

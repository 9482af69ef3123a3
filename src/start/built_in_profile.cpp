// The provider's values of this build. Kept alone in its file: a program built
// for another provider in the same tree links its own copy of this file ahead
// of the core library, and the library's copy is then never pulled in.
#include "start/profile.h"
#include "verolink/build_profile.h"

namespace verolink::basMain {

Profile BuiltInProfile() {
  Profile p;
  p.IspName = FromUtf8(VEROLINK_ISP_NAME);
  p.SiteUrl = FromUtf8(VEROLINK_SITE_URL);
  p.ConnectionName = p.IspName + kConnectionNameSuffix;
  p.ServiceName = FromUtf8(VEROLINK_SERVICE_NAME);
  return p;
}

}  // namespace verolink::basMain

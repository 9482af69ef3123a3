#include "start/profile.h"

#include <utility>

#include "verolink/build_profile.h"

namespace verolink::basMain {

namespace {
Profile& ProcessProfile() {
  static Profile profile;
  return profile;
}
}  // namespace

Profile BuiltInProfile() {
  Profile p;
  p.IspName = FromUtf8(VEROLINK_ISP_NAME);
  p.SiteUrl = FromUtf8(VEROLINK_SITE_URL);
  p.ConnectionName = p.IspName + kConnectionNameSuffix;
  p.ServiceName = FromUtf8(VEROLINK_SERVICE_NAME);
  return p;
}

const Profile& CurrentProfile() { return ProcessProfile(); }

void SetCurrentProfile(Profile profile) { ProcessProfile() = std::move(profile); }

}  // namespace verolink::basMain

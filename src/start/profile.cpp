#include "start/profile.h"

#include <utility>

namespace verolink::basMain {

namespace {
Profile& ProcessProfile() {
  static Profile profile;
  return profile;
}
}  // namespace

const Profile& CurrentProfile() { return ProcessProfile(); }

void SetCurrentProfile(Profile profile) { ProcessProfile() = std::move(profile); }

}  // namespace verolink::basMain

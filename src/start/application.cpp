#include "start/application.h"

#include "verolink/build_profile.h"

namespace verolink {

const ApplicationInfo& Application() {
  static const ApplicationInfo info{u"Verolink", VEROLINK_VERSION_MAJOR, VEROLINK_VERSION_MINOR,
                                    VEROLINK_VERSION_REVISION};
  return info;
}

const Text& HomePageUrl() {
  static const Text url = FromUtf8(VEROLINK_HOME_PAGE);
  return url;
}

}  // namespace verolink

#pragma once

#include "common/text.h"

namespace verolink {

// The application's title and version, fixed at build time.
struct ApplicationInfo {
  Text title;  // the default title of message boxes that name none
  int major;
  int minor;
  int revision;
};

const ApplicationInfo& Application();

// The program's own home page, a second built-in web address.
const Text& HomePageUrl();

}  // namespace verolink

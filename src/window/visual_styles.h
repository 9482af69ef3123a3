#pragma once

#include "start/platform.h"

namespace verolink::XPStile {

// Prepares the platform's common controls; true when the call raised no error.
bool InitVisualStyles(Platform& platform);

}  // namespace verolink::XPStile

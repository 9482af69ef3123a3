#include "window/visual_styles.h"

#include <cstdint>

namespace verolink::XPStile {

namespace {
// INITCOMMONCONTROLSEX: two unsigned 32-bit fields, dwSize and dwICC.
constexpr std::uint32_t kInitCommonControlsExSize = 2 * sizeof(std::uint32_t);
}  // namespace

bool InitVisualStyles(Platform& platform) {
  try {
    platform.commonControls.InitCommonControlsEx(kInitCommonControlsExSize, kIccUserExClasses);
    return true;
  } catch (...) {
    // The window works without visual styles; nothing is reported.
    return false;
  }
}

}  // namespace verolink::XPStile

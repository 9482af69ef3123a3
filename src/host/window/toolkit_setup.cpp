#include "host/window/toolkit_setup.h"

#include <FL/Fl.H>

namespace verolink::host {

void PrepareToolkit() {
  FL_NORMAL_SIZE = 12;
  Fl::scheme("gtk+");
}

}  // namespace verolink::host

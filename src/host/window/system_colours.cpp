#include "host/window/system_colours.h"

#include <FL/fl_draw.H>

namespace verolink::host {

Fl_Color HostSystemColour(SystemColour colour) {
  switch (colour) {
    case SystemColour::Background:
      return FL_DARK3;
    case SystemColour::InactiveCaption:
      return fl_color_average(FL_SELECTION_COLOR, FL_BACKGROUND_COLOR, 0.4f);
  }
  return FL_FOREGROUND_COLOR;
}

}  // namespace verolink::host

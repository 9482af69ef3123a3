#pragma once

#include <FL/Enumerations.H>

#include "window/layout.h"

namespace verolink::host {

// The host's stand-ins for the platform's system colours, taken from FLTK's
// scheme colours so that they follow the user's colour settings (FLTK reads
// them from the X resources):
// - desktop background: FL_DARK3, the scheme's darkest shade of the
//   background grey;
// - inactive title bar: a grey-blue, the selection colour mixed two to three
//   with the background colour.
Fl_Color HostSystemColour(SystemColour colour);

}  // namespace verolink::host

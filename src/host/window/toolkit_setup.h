#pragma once

namespace verolink::host {

// The host's look, set once before the first widget is made: FLTK's "gtk+"
// scheme in place of the desktop's visual style, and 12-pixel text as the
// default user-interface font (close to the platform's 8-point font at 96 dots
// per inch, so the design's captions fit their frames).
void PrepareToolkit();

}  // namespace verolink::host

#pragma once

class Fl_Window;

namespace verolink::host {

// Asks the X window manager for a fixed dialog frame: title bar, window menu
// and close box, no minimise or maximise box, no resizing. Sets
// _NET_WM_WINDOW_TYPE to _NET_WM_WINDOW_TYPE_DIALOG and _MOTIF_WM_HINTS to
// move and close only. Call right after show(): the properties travel with the
// map request, before the window manager frames the window. The fixed size
// itself comes from Fl_Window::size_range (WM_NORMAL_HINTS min = max).
void RequestFixedDialogFrame(Fl_Window& window);

}  // namespace verolink::host

#include "host/window/x11_dialog_frame.h"

#include <FL/Fl_Window.H>
#include <FL/x.H>

namespace verolink::host {

namespace {

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr long kHintsFunctions = 1;
constexpr long kHintsDecorations = 2;
constexpr long kFunctionMove = 4;
constexpr long kFunctionClose = 32;
constexpr long kDecorBorder = 2;
constexpr long kDecorTitle = 8;
constexpr long kDecorMenu = 16;

}  // namespace

void RequestFixedDialogFrame(Fl_Window& window) {
  const Window xid = fl_xid(&window);
  if (!xid) return;

  const Atom type = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE", False);
  const Atom dialog = XInternAtom(fl_display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(fl_display, xid, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&dialog), 1);

  const Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
  const long hints[5] = {kHintsFunctions | kHintsDecorations, kFunctionMove | kFunctionClose,
                         kDecorBorder | kDecorTitle | kDecorMenu, 0, 0};
  XChangeProperty(fl_display, xid, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints), 5);
  XFlush(fl_display);
}

}  // namespace verolink::host

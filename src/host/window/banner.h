#pragma once

#include <gtk/gtk.h>

#include <functional>

namespace verolink::host {

// The banner picture Image1: the provider's picture stretched to width x
// height by its nearest pixels, at the display's scale too, so it is never
// blurred; the given cursor while the pointer is over it, and a click
// handler. It takes no focus; `name` is what screen readers read.
GtkWidget* NewBanner(int width, int height, GdkCursor* cursor, const char* name,
                     std::function<void()> onClick);

}  // namespace verolink::host

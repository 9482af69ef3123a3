#pragma once

#include <gio/gio.h>

#include <chrono>

namespace verolink::host {

// Runs the thread's default main context until `done`, cancelling
// `cancellable` once `timeout` has passed, so that the call it was given to
// ends (with G_IO_ERROR_CANCELLED) and sets `done` then.
inline void WaitOrCancel(const bool& done, GCancellable* cancellable,
                         std::chrono::milliseconds timeout) {
  const guint timer = g_timeout_add(
      static_cast<guint>(timeout.count()),
      [](gpointer c) {
        g_cancellable_cancel(static_cast<GCancellable*>(c));
        return G_SOURCE_REMOVE;
      },
      cancellable);
  while (!done) g_main_context_iteration(nullptr, TRUE);
  if (!g_cancellable_is_cancelled(cancellable)) g_source_remove(timer);
}

}  // namespace verolink::host

#include "host/phonebook/nm_wait.h"

#include <glib.h>

#include <cstdio>

namespace verolink::host {

void PatientWait::ShowWaiting(const Text& text) {
  HideWaiting();
  late_ = false;
  std::fprintf(stderr, "verolink: %s\n", ToUtf8(text).c_str());
  timer_ = g_timeout_source_new(static_cast<guint>(patience_.count()));
  g_source_set_callback(
      timer_,
      [](gpointer late) {
        *static_cast<bool*>(late) = true;
        return G_SOURCE_REMOVE;
      },
      &late_, nullptr);
  g_source_attach(timer_, g_main_context_get_thread_default());
}

void PatientWait::HideWaiting() {
  if (timer_ == nullptr) return;
  g_source_destroy(timer_);
  g_source_unref(timer_);
  timer_ = nullptr;
}

}  // namespace verolink::host

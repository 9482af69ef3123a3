#include "host/system/host_event_log.h"

#include <syslog.h>

#include <mutex>
#include <string>

namespace verolink::host {

void HostEventLog::ReportError(const Text& text) {
  static std::once_flag opened;
  std::call_once(opened, [] { openlog("Verolink", LOG_PID, LOG_USER); });
  const std::string message = ToUtf8(text);
  syslog(LOG_ERR, "%s", message.c_str());
}

}  // namespace verolink::host

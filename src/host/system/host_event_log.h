#pragma once

#include "phonebook/event_log.h"

namespace verolink::host {

// The system log stands in for the application event log: each error event
// goes to syslog at LOG_ERR under the identity "Verolink".
class HostEventLog : public EventLog {
 public:
  void ReportError(const Text& text) override;
};

}  // namespace verolink::host

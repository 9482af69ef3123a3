#pragma once

#include "common/text.h"

namespace verolink {

// The system's application event log; the program writes only error events
// (event type 1) to the platform's default application log.
class EventLog {
 public:
  virtual ~EventLog() = default;
  virtual void ReportError(const Text& text) = 0;
};

}  // namespace verolink

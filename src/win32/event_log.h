#pragma once

#include "common/code_page.h"
#include "phonebook/event_log.h"

namespace verolink::win32 {

// Error events in the application log under the source "Verolink"; the text
// goes in as ANSI text.
class ApplicationEventLog : public EventLog {
 public:
  explicit ApplicationEventLog(const CodePage& codePage) : codePage_(codePage) {}
  void ReportError(const Text& text) override;

 private:
  const CodePage& codePage_;
};

}  // namespace verolink::win32

#include "win32/event_log.h"

#include "win32/windows_api.h"

namespace verolink::win32 {

void ApplicationEventLog::ReportError(const Text& text) {
  HANDLE source = RegisterEventSourceA(nullptr, "Verolink");
  if (source == nullptr) return;  // no log to write to: the event is lost, as the log's own fault
  const std::string ansi = codePage_.ToAnsi(text);
  const char* strings[] = {ansi.c_str()};
  ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
}

}  // namespace verolink::win32

// Host system facilities: processes, the code page, the event log (syslog),
// message texts, memory, sleeping, atomic files and the user's folders.
#pragma once

#include <chrono>
#include <cstdlib>
#include <thread>

#include "host/phonebook/host_phonebook.h"
#include "host/system/host_code_page.h"
#include "phonebook/event_log.h"
#include "phonebook/memory_blocks.h"
#include "phonebook/system_messages.h"
#include "window/ui_services.h"

namespace verolink::host {

// The system log stands in for the application event log: each error event
// goes to syslog at LOG_ERR under the identity "Verolink".
class HostEventLog : public EventLog {
 public:
  void ReportError(const Text& text) override;
};

// The general system error texts the program may show, in Russian and ended
// by CRLF as the platform's own message table has them. An unknown number
// leaves the buffer untouched.
class HostSystemMessages : public SystemMessages {
 public:
  explicit HostSystemMessages(const CodePage& codePage) : codePage_(codePage) {}
  void FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) override;

 private:
  const CodePage& codePage_;
};

// Zero-filled blocks from the C heap. A block of 0 bytes is still a block of
// its own, as the platform's allocator gives one.
class HostMemoryBlocks : public MemoryBlocks {
 public:
  std::uint8_t* AllocateZeroed(std::size_t bytes) override {
    return static_cast<std::uint8_t*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
  }
  void Release(std::uint8_t* block) override { std::free(block); }
};

// The toolkit draws its own widgets; there are no common controls to prepare.
class HostCommonControls : public CommonControls {
 public:
  void InitCommonControlsEx(std::uint32_t, std::uint32_t) override {}
};

// A blocking wait on the calling thread.
class HostSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int milliseconds) override {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

// The phonebook side of the host platform, set up from the environment: the
// code page, the phonebook file, the system messages, memory and the event
// log. A program adds its own desktop and window facilities.
struct HostPhonebookFacilities {
  HostPhonebookFacilities() = default;
  HostPhonebookFacilities(const HostPhonebookFacilities&) = delete;
  HostPhonebookFacilities& operator=(const HostPhonebookFacilities&) = delete;

  HostCodePage codePage = HostCodePage::FromEnvironment();  // first: the others use it
  HostPhonebook phonebook = HostPhonebook::FromEnvironment(codePage);
  HostSystemMessages systemMessages{codePage};
  HostMemoryBlocks memory;
  HostEventLog eventLog;
};

}  // namespace verolink::host

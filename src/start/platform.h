#pragma once

#include "common/code_page.h"
#include "common/message_boxes.h"
#include "desktop/automation.h"
#include "desktop/process_launcher.h"
#include "phonebook/event_log.h"
#include "phonebook/memory_blocks.h"
#include "phonebook/ras_phonebook.h"
#include "phonebook/system_messages.h"
#include "window/ui_services.h"

namespace verolink {

// Every platform facility the program uses, as one bundle handed to the
// procedures that need them. The platform layer (or a test) owns the objects.
struct Platform {
  RasPhonebook& phonebook;
  SystemMessages& systemMessages;
  MemoryBlocks& memory;
  EventLog& eventLog;
  CodePage& codePage;
  AutomationObjects& automation;
  FileDeletion& files;
  ProcessLauncher& processes;
  Browser& browser;
  MessageBoxes& messageBoxes;
  EventPump& eventPump;
  Sleeper& sleeper;
  CommonControls& commonControls;
};

}  // namespace verolink

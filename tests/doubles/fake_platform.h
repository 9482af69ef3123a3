#pragma once

// Test doubles of every platform interface: scripted answers, recorded calls.
// Each double appends a short line to one shared call log, so a test can check
// the order in which the program used the platform.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "start/platform.h"

namespace verolink::testing {

using CallLog = std::vector<std::string>;

// Windows-1251 for the characters the tests use: ASCII, Cyrillic А..я, Ё, ё.
// Anything else becomes '?', one byte per UTF-16 code unit.
class FakeCodePage : public CodePage {
 public:
  std::string ToAnsi(TextView text) const override;
  Text FromAnsi(std::string_view bytes) const override;
};

class FakeRasPhonebook : public RasPhonebook {
 public:
  explicit FakeRasPhonebook(CallLog& log) : log_(log) {}

  // Size query: the result and the size it reports.
  RasError queryResult = kErrorBufferTooSmall;
  std::uint32_t reportedEntrySize = 2884;

  // Entry write: what was handed over, and the result to give.
  struct Write {
    std::optional<std::string> phonebook;
    std::string entryName;
    std::vector<std::uint8_t> image;
    std::uint32_t entrySize;
  };
  std::vector<Write> writes;
  bool recordWrites = true;  // false: writes are taken but not kept (benchmarks)
  RasError setResult = kRasSuccess;
  bool addWrittenEntries = true;  // a successful write adds the name to `entries`

  // Listing: the names in the phonebook (ANSI), listed as the platform would,
  // unless `enumOverride` takes the call.
  std::vector<std::string> entries;
  std::function<RasError(std::uint8_t*, std::uint32_t&, std::uint32_t&)> enumOverride;
  // A phonebook that grows between the size-finding call and the listing
  // call: each call with room for more than one record first adds an entry
  // "added N", this many times (a negative number: every time).
  int growthsBetweenCalls = 0;
  struct EnumCall {
    std::uint32_t byteCountIn;
    std::uint32_t firstRecordSize;  // the size field of the first record handed in
  };
  std::vector<EnumCall> enumCalls;

  // Deletion.
  std::optional<RasError> deleteResult;  // default: 0 if present, 623 if not
  std::vector<std::string> deletions;

  // Error texts (ANSI) by number.
  std::map<std::uint32_t, std::string> errorTexts;
  std::vector<std::uint32_t> errorTextCalls;

  // Device listing: the devices listed (ANSI), or the result of a listing
  // that fails and lists none.
  std::vector<RasDevice> devices;
  RasError devicesResult = kRasSuccess;
  int deviceListings = 0;

  RasError QueryEntrySize(std::uint32_t& entrySize) override;
  RasError SetEntryProperties(const std::optional<std::string>& phonebook,
                              const std::string& entryName, std::span<const std::uint8_t> image,
                              std::uint32_t entrySize) override;
  RasError EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                       std::uint32_t& entryCount) override;
  RasError DeleteEntry(const std::string& entryName) override;
  void GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) override;
  RasError EnumDevices(std::vector<RasDevice>& listed) override;

  // Lists `names` into buffer as the platform does: 264-byte records.
  static RasError ListInto(const std::vector<std::string>& names, std::uint8_t* buffer,
                           std::uint32_t& byteCount, std::uint32_t& entryCount);

 private:
  CallLog& log_;
};

class FakeSystemMessages : public SystemMessages {
 public:
  explicit FakeSystemMessages(CallLog& log) : log_(log) {}
  std::map<std::uint32_t, std::string> texts;  // ANSI
  std::vector<std::uint32_t> calls;
  void FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) override;

 private:
  CallLog& log_;
};

// Zero-filled blocks that remember their sizes; allocation number N (from 1)
// can be made to fail.
class FakeMemoryBlocks : public MemoryBlocks {
 public:
  std::set<int> failingAllocations;
  std::optional<std::size_t> largestBlock;  // larger blocks cannot be had
  std::vector<std::size_t> allocationSizes;
  int released = 0;
  std::uint8_t* AllocateZeroed(std::size_t bytes) override;
  void Release(std::uint8_t* block) override;
  std::size_t Outstanding() const { return blocks_.size(); }
  ~FakeMemoryBlocks() override;

 private:
  std::map<std::uint8_t*, std::unique_ptr<std::uint8_t[]>> blocks_;
};

class FakeEventLog : public EventLog {
 public:
  explicit FakeEventLog(CallLog& log) : log_(log) {}
  std::vector<Text> errors;
  void ReportError(const Text& text) override;

 private:
  CallLog& log_;
};

// Shell.Application and WScript.Shell with scripted folders.
class FakeAutomation : public AutomationObjects {
 public:
  explicit FakeAutomation(CallLog& log) : log_(log) {}

  bool shellCreatable = true;
  bool scriptHostCreatable = true;
  bool hasConnectionsFolder = true;
  bool hasDesktopFolder = true;
  std::vector<Text> connectionItems;       // names, in the shell's order
  std::optional<std::size_t> nameFailsAt;  // item index whose Name raises
  bool copyFails = false;
  std::vector<Text> copiedToDesktop;
  int desktopNameSpaceCalls = 0;
  Text desktopPath = u"C:\\Users\\user\\Desktop";
  bool specialFoldersFails = false;

  // Objects alive now; every object must be released before the program returns.
  int liveObjects = 0;

  std::unique_ptr<ShellApplication> CreateShellApplication() override;
  std::unique_ptr<ScriptHost> CreateScriptHost() override;

  CallLog& log() { return log_; }

 private:
  CallLog& log_;
};

class FakeFiles : public FileDeletion {
 public:
  explicit FakeFiles(CallLog& log) : log_(log) {}
  std::vector<std::string> deleted;  // ANSI paths
  char16_t separator = u'\\';
  void DeleteFile(const std::string& ansiPath) override;
  char16_t PathSeparator() const override { return separator; }

 private:
  CallLog& log_;
};

class FakeProcessLauncher : public ProcessLauncher {
 public:
  explicit FakeProcessLauncher(CallLog& log) : log_(log) {}
  std::set<Text> unstartable;  // command lines that raise ProcessStartError
  bool processesEndInTime = true;
  struct Start {
    Text commandLine;
    int windowStyle;
  };
  std::vector<Start> starts;
  std::vector<std::chrono::milliseconds> waits;  // each wait's timeout, with events or not
  std::unique_ptr<StartedProcess> Start(const Text& commandLine, int windowStyle) override;

 private:
  CallLog& log_;
};

class FakeBrowser : public Browser {
 public:
  explicit FakeBrowser(CallLog& log) : log_(log) {}
  bool fails = false;
  struct Call {
    std::string verb, file, parameters, directory;
    int showCommand;
  };
  std::vector<Call> calls;
  void ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& directory, int showCommand) override;

 private:
  CallLog& log_;
};

// Answers message boxes from a script (OK when the script is empty).
class ScriptedMessageBoxes : public MessageBoxes {
 public:
  explicit ScriptedMessageBoxes(CallLog& log) : log_(log) {}
  std::deque<int> answers;
  struct Shown {
    Text text;
    int style;
    Text title;
  };
  std::vector<Shown> shown;
  int Show(const Text& text, int style, const Text& title) override;

 private:
  CallLog& log_;
};

class FakeEventPump : public EventPump {
 public:
  explicit FakeEventPump(CallLog& log) : log_(log) {}
  int calls = 0;                                 // ProcessPendingEvents
  std::vector<std::chrono::milliseconds> waits;  // ProcessEventsFor
  bool ending = false;                           // what ProcessEventsFor tells: the program ends
  std::function<void()> onPump;  // runs "pending events" in either call, e.g. a second click
  void ProcessPendingEvents() override;
  bool ProcessEventsFor(std::chrono::milliseconds longest) override;

 private:
  CallLog& log_;
};

class FakeSleeper : public Sleeper {
 public:
  explicit FakeSleeper(CallLog& log) : log_(log) {}
  std::vector<int> sleeps;
  std::function<void(int)> onSleep;  // runs after a wait, e.g. the user ticking a box
  void SleepMilliseconds(int milliseconds) override;

 private:
  CallLog& log_;
};

class FakeCommonControls : public CommonControls {
 public:
  explicit FakeCommonControls(CallLog& log) : log_(log) {}
  bool missing = false;
  struct Call {
    std::uint32_t size, classes;
  };
  std::vector<Call> calls;
  void InitCommonControlsEx(std::uint32_t recordSize, std::uint32_t classes) override;

 private:
  CallLog& log_;
};

// All the doubles together, and the bundle the program is handed.
struct FakePlatform {
  CallLog log;
  FakeRasPhonebook phonebook{log};
  FakeSystemMessages systemMessages{log};
  FakeMemoryBlocks memory;
  FakeEventLog eventLog{log};
  FakeCodePage codePage;
  FakeAutomation automation{log};
  FakeFiles files{log};
  FakeProcessLauncher processes{log};
  FakeBrowser browser{log};
  ScriptedMessageBoxes messageBoxes{log};
  FakeEventPump eventPump{log};
  FakeSleeper sleeper{log};
  FakeCommonControls commonControls{log};

  Platform platform() { return platformWith(phonebook, codePage); }

  // The same bundle around a real phonebook and code page (fault tests and
  // benchmarks against the host's own).
  Platform platformWith(RasPhonebook& realPhonebook, CodePage& realCodePage) {
    return Platform{realPhonebook, systemMessages, memory,        eventLog, realCodePage,
                    automation,    files,          processes,     browser,  messageBoxes,
                    eventPump,     sleeper,        commonControls};
  }
};

}  // namespace verolink::testing

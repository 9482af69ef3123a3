#include "doubles/fake_platform.h"

#include <algorithm>
#include <cstring>

namespace verolink::testing {

namespace {

constexpr std::uint32_t kNameRecordSize = 264;

std::string Narrow(const Text& text) { return ToUtf8(text); }

void CopyToBuffer(const std::string& text, char* buffer, std::uint32_t size) {
  if (size == 0) return;
  const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

// --- code page -------------------------------------------------------------

std::string FakeCodePage::ToAnsi(TextView text) const {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c >= 0x410 && c <= 0x44F) {
      out += static_cast<char>(0xC0 + (c - 0x410));
    } else if (c == 0x401) {
      out += static_cast<char>(0xA8);
    } else if (c == 0x451) {
      out += static_cast<char>(0xB8);
    } else {
      out += '?';
    }
  }
  return out;
}

Text FakeCodePage::FromAnsi(std::string_view bytes) const {
  Text out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
    } else if (b >= 0xC0) {
      out += static_cast<char16_t>(0x410 + (b - 0xC0));
    } else if (b == 0xA8) {
      out += u'\u0401';
    } else if (b == 0xB8) {
      out += u'\u0451';
    } else {
      out += u'?';
    }
  }
  return out;
}

// --- phonebook -------------------------------------------------------------

RasError FakeRasPhonebook::QueryEntrySize(std::uint32_t& entrySize) {
  log_.push_back("QueryEntrySize");
  if (queryResult == kErrorBufferTooSmall) entrySize = reportedEntrySize;
  return queryResult;
}

RasError FakeRasPhonebook::SetEntryProperties(const std::optional<std::string>& phonebook,
                                              const std::string& entryName,
                                              std::span<const std::uint8_t> image,
                                              std::uint32_t entrySize) {
  log_.push_back("SetEntryProperties:" + entryName);
  if (recordWrites) {
    writes.push_back({phonebook, entryName, {image.begin(), image.end()}, entrySize});
  }
  if (setResult == kRasSuccess && addWrittenEntries &&
      std::find(entries.begin(), entries.end(), entryName) == entries.end()) {
    entries.push_back(entryName);
  }
  return setResult;
}

RasError FakeRasPhonebook::ListInto(const std::vector<std::string>& names, std::uint8_t* buffer,
                                    std::uint32_t& byteCount, std::uint32_t& entryCount) {
  const auto needed = static_cast<std::uint32_t>(names.size() * kNameRecordSize);
  if (byteCount < needed) {
    byteCount = needed;
    entryCount = 0;
    return kErrorBufferTooSmall;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::uint8_t* record = buffer + i * kNameRecordSize;
    std::memset(record, 0, kNameRecordSize);
    std::memcpy(record, &kNameRecordSize, 4);
    std::memcpy(record + 4, names[i].data(), std::min<std::size_t>(names[i].size(), 256));
  }
  byteCount = needed;
  entryCount = static_cast<std::uint32_t>(names.size());
  return kRasSuccess;
}

RasError FakeRasPhonebook::EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                                       std::uint32_t& entryCount) {
  log_.push_back("EnumEntries");
  std::uint32_t firstSize = 0;
  std::memcpy(&firstSize, buffer, std::min<std::uint32_t>(byteCount, 4));  // blocks may be tiny
  enumCalls.push_back({byteCount, firstSize});
  if (enumOverride) return enumOverride(buffer, byteCount, entryCount);
  if (byteCount > kNameRecordSize && growthsBetweenCalls != 0) {
    if (growthsBetweenCalls > 0) --growthsBetweenCalls;
    entries.push_back("added " + std::to_string(entries.size() + 1));
  }
  return ListInto(entries, buffer, byteCount, entryCount);
}

RasError FakeRasPhonebook::DeleteEntry(const std::string& entryName) {
  log_.push_back("DeleteEntry:" + entryName);
  deletions.push_back(entryName);
  const auto it = std::find(entries.begin(), entries.end(), entryName);
  if (deleteResult) {
    if (*deleteResult == kRasSuccess && it != entries.end()) entries.erase(it);
    return *deleteResult;
  }
  if (it == entries.end()) return 623;
  entries.erase(it);
  return kRasSuccess;
}

RasError FakeRasPhonebook::EnumDevices(std::vector<RasDevice>& listed) {
  ++deviceListings;
  listed.clear();
  if (devicesResult == kRasSuccess) listed = devices;
  return devicesResult;
}

void FakeRasPhonebook::GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) {
  log_.push_back("GetErrorString:" + std::to_string(code));
  errorTextCalls.push_back(code);
  const auto it = errorTexts.find(code);
  if (it != errorTexts.end()) CopyToBuffer(it->second, buffer, size);
}

void FakeSystemMessages::FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) {
  log_.push_back("FormatFromSystem:" + std::to_string(code));
  calls.push_back(code);
  const auto it = texts.find(code);
  if (it != texts.end()) CopyToBuffer(it->second, buffer, size);
}

// --- memory and event log --------------------------------------------------

std::uint8_t* FakeMemoryBlocks::AllocateZeroed(std::size_t bytes) {
  allocationSizes.push_back(bytes);
  if (failingAllocations.count(static_cast<int>(allocationSizes.size()))) return nullptr;
  if (largestBlock && bytes > *largestBlock) return nullptr;
  auto block = std::make_unique<std::uint8_t[]>(bytes == 0 ? 1 : bytes);  // zero-filled
  std::uint8_t* p = block.get();
  blocks_.emplace(p, std::move(block));
  return p;
}

void FakeMemoryBlocks::Release(std::uint8_t* block) {
  ++released;
  blocks_.erase(block);
}

FakeMemoryBlocks::~FakeMemoryBlocks() = default;

void FakeEventLog::ReportError(const Text& text) {
  log_.push_back("Event:" + Narrow(text));
  errors.push_back(text);
}

// --- automation objects ----------------------------------------------------

namespace {

class Counted {
 public:
  explicit Counted(FakeAutomation& owner) : owner_(owner) { ++owner_.liveObjects; }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;
  virtual ~Counted() { --owner_.liveObjects; }

 protected:
  FakeAutomation& owner_;
};

class FakeItem : public ShellItem, Counted {
 public:
  FakeItem(FakeAutomation& owner, std::size_t index) : Counted(owner), index_(index) {}
  Text Name() override {
    if (owner_.nameFailsAt == index_) throw AutomationError("Name failed");
    return owner_.connectionItems[index_];
  }

 private:
  std::size_t index_;
};

class FakeItems : public ShellItems, Counted {
 public:
  using Counted::Counted;
  std::unique_ptr<ShellItem> Next() override {
    if (next_ >= owner_.connectionItems.size()) return nullptr;
    return std::make_unique<FakeItem>(owner_, next_++);
  }

 private:
  std::size_t next_ = 0;
};

class FakeFolder : public ShellFolder, Counted {
 public:
  FakeFolder(FakeAutomation& owner, bool desktop) : Counted(owner), desktop_(desktop) {}
  std::unique_ptr<ShellItems> Items() override {
    return desktop_ ? nullptr : std::make_unique<FakeItems>(owner_);
  }
  void CopyHere(ShellItem& item) override {
    const Text name = item.Name();
    owner_.log().push_back("CopyHere:" + Narrow(name));
    if (owner_.copyFails) throw AutomationError("CopyHere failed");
    owner_.copiedToDesktop.push_back(name);
  }

 private:
  bool desktop_;
};

class FakeShell : public ShellApplication, Counted {
 public:
  using Counted::Counted;
  std::unique_ptr<ShellFolder> NameSpace(std::int16_t folder) override {
    if (folder == kCsidlConnections) {
      if (!owner_.hasConnectionsFolder) return nullptr;
      return std::make_unique<FakeFolder>(owner_, false);
    }
    if (folder == kCsidlDesktop) {
      ++owner_.desktopNameSpaceCalls;
      if (!owner_.hasDesktopFolder) return nullptr;
      return std::make_unique<FakeFolder>(owner_, true);
    }
    return nullptr;
  }
};

class FakeScriptHost : public ScriptHost, Counted {
 public:
  using Counted::Counted;
  Text SpecialFolders(const Text& name) override {
    if (owner_.specialFoldersFails) throw AutomationError("SpecialFolders failed");
    return name == u"Desktop" ? owner_.desktopPath : Text();
  }
};

}  // namespace

std::unique_ptr<ShellApplication> FakeAutomation::CreateShellApplication() {
  log_.push_back("Create:Shell.Application");
  if (!shellCreatable) throw AutomationError("cannot create Shell.Application");
  return std::make_unique<FakeShell>(*this);
}

std::unique_ptr<ScriptHost> FakeAutomation::CreateScriptHost() {
  log_.push_back("Create:WScript.Shell");
  if (!scriptHostCreatable) throw AutomationError("cannot create WScript.Shell");
  return std::make_unique<FakeScriptHost>(*this);
}

void FakeFiles::DeleteFile(const std::string& ansiPath) {
  log_.push_back("DeleteFile:" + ansiPath);
  deleted.push_back(ansiPath);
}

// --- processes, browser, window services ----------------------------------

namespace {
class FakeProcess : public StartedProcess {
 public:
  FakeProcess(FakeProcessLauncher& owner, CallLog& log, std::string name)
      : owner_(owner), log_(log), name_(std::move(name)) {}
  bool WaitForExit(std::chrono::milliseconds timeout) override {
    log_.push_back("Wait:" + name_);
    owner_.waits.push_back(timeout);
    return owner_.processesEndInTime;
  }
  // Logged as the plain wait, with one round of the window's events in it.
  bool WaitForExitProcessingEvents(std::chrono::milliseconds timeout, EventPump& events) override {
    const bool ended = WaitForExit(timeout);
    events.ProcessEventsFor(timeout);
    return ended;
  }

 private:
  FakeProcessLauncher& owner_;
  CallLog& log_;
  std::string name_;
};
}  // namespace

std::unique_ptr<StartedProcess> FakeProcessLauncher::Start(const Text& commandLine,
                                                           int windowStyle) {
  log_.push_back("Start:" + Narrow(commandLine));
  if (unstartable.count(commandLine)) throw ProcessStartError("cannot start");
  starts.push_back({commandLine, windowStyle});
  return std::make_unique<FakeProcess>(*this, log_, Narrow(commandLine));
}

void FakeBrowser::ShellExecute(const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) {
  log_.push_back("ShellExecute:" + verb + ":" + file);
  calls.push_back({verb, file, parameters, directory, showCommand});
  if (fails) throw PlatformError("no shell32");
}

int ScriptedMessageBoxes::Show(const Text& text, int style, const Text& title) {
  log_.push_back("MessageBox:" + Narrow(text));
  shown.push_back({text, style, title});
  if (answers.empty()) return kAnswerOk;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

void FakeEventPump::ProcessPendingEvents() {
  log_.push_back("PumpEvents");
  ++calls;
  if (onPump) onPump();
}

bool FakeEventPump::ProcessEventsFor(std::chrono::milliseconds longest) {
  log_.push_back("PumpEventsFor:" + std::to_string(longest.count()));
  waits.push_back(longest);
  if (onPump && !ending) onPump();
  return !ending;
}

void FakeSleeper::SleepMilliseconds(int milliseconds) {
  log_.push_back("Sleep:" + std::to_string(milliseconds));
  sleeps.push_back(milliseconds);
  if (onSleep) onSleep(milliseconds);
}

void FakeCommonControls::InitCommonControlsEx(std::uint32_t recordSize, std::uint32_t classes) {
  log_.push_back("InitCommonControlsEx");
  calls.push_back({recordSize, classes});
  if (missing) throw PlatformError("comctl32 missing");
}

}  // namespace verolink::testing

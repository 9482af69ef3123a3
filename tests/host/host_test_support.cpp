#include "host_test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "phonebook/entry_layout.h"
#include "phonebook/entry_listing.h"

namespace verolink::host::testing {

namespace {

namespace layout = entry_layout;

constexpr uid_t kNobody = 65534;

void PutU32(std::vector<std::uint8_t>& image, std::uint32_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Copies at most width - 1 bytes, as the program does.
void PutText(std::vector<std::uint8_t>& image, std::uint32_t offset, const std::string& text,
             std::uint32_t width) {
  std::copy_n(text.begin(), std::min<std::size_t>(text.size(), width - 1), image.begin() + offset);
}

}  // namespace

TempFolder::TempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/vl-host-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Permission tests may leave folders without write rights. A daemon of the
  // test's may still be removing its own files: an entry gone meanwhile ends
  // the walk, never the test program.
  std::filesystem::recursive_directory_iterator entry(path_, ignored), end;
  for (std::error_code walk; !walk && entry != end; entry.increment(walk)) {
    if (entry->is_directory(ignored)) chmod(entry->path().c_str(), 0700);
  }
  std::filesystem::remove_all(path_, ignored);
}

ScopedVariable::ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}

ScopedVariable::~ScopedVariable() {
  if (old_) {
    setenv(name_.c_str(), old_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void WriteScript(const std::string& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

int StartChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

int RunInChild(const std::function<int()>& body) { return WaitChild(StartChild(body)); }

int WaitChild(int pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

int RunWithoutRoot(const std::function<int()>& body) {
  return RunInChild([&] {
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) return 99;
    return body();
  });
}

const HostCodePage& Cp1251() {
  static const HostCodePage codePage("WINDOWS-1251");
  return codePage;
}

std::vector<std::uint8_t> PppoeLikeImage(std::uint32_t size, const std::string& alternates) {
  std::vector<std::uint8_t> image(size + alternates.size() + 2, 0);
  const auto ansi = [](const Text& text) { return Cp1251().ToAnsi(text); };
  PutU32(image, layout::kSize, size);
  PutU32(image, layout::kOptions, 0x3D0D0310);
  PutU32(image, layout::kCountryId, 7);
  PutU32(image, layout::kCountryCode, 8);
  PutText(image, layout::kAreaCode, "495", layout::kAreaCodeWidth);
  PutText(image, layout::kLocalPhoneNumber, "pelkar", layout::kLocalPhoneNumberWidth);
  if (!alternates.empty()) {
    std::copy(alternates.begin(), alternates.end(), image.begin() + size);
    PutU32(image, layout::kAlternateOffset, size);
  }
  const std::uint8_t addresses[] = {1, 2, 3, 4, 10, 0, 0,   1,   10,  0,
                                    0, 2, 0, 0, 0,  0, 255, 255, 255, 255};
  std::copy(std::begin(addresses), std::end(addresses), image.begin() + layout::kIpAddr);
  PutU32(image, layout::kFrameSize, 1500);
  PutU32(image, layout::kNetProtocols, 4);
  PutU32(image, layout::kFramingProtocol, 1);
  PutText(image, layout::kScript, "C:\\script.scp", layout::kPathWidth);
  PutText(image, layout::kAutodialDll, "auto.dll", layout::kPathWidth);
  PutText(image, layout::kAutodialFunc, "Dial", layout::kPathWidth);
  PutText(image, layout::kDeviceType, "PPPoE", layout::kDeviceTypeWidth);
  const layout::DeviceBlock device = layout::DeviceBlockFor(size);
  PutText(image, layout::kDeviceName, ansi(u"Минипорт WAN (PPPoE) для подключения к Интернету"),
          device.deviceNameWidth);
  PutText(image, device.x25PadType, "pad", layout::kX25PadTypeWidth);
  PutText(image, device.x25Address, "x25addr", layout::kX25FieldWidth);
  PutText(image, device.x25Facilities, "fac", layout::kX25FieldWidth);
  PutText(image, device.x25UserData, "user", layout::kX25FieldWidth);
  PutU32(image, device.channels, 3);
  if (layout::HasDialMembers(size)) {
    for (std::uint32_t i = 0; i < 7; ++i) PutU32(image, layout::kSubEntries + 4 * i, 11 + i);
  }
  if (layout::HasTypeMembers(size)) {
    PutU32(image, layout::kType, 5);
    PutU32(image, layout::kEncryptionType, 3);
    PutU32(image, layout::kCustomAuthKey, 42);
    for (std::uint32_t i = 0; i < 16; ++i)
      image[layout::kGuidId + i] = static_cast<std::uint8_t>(i + 1);
    PutText(image, layout::kCustomDialDll, "dial.dll", layout::kPathWidth);
    PutU32(image, layout::kVpnStrategy, 2);
  }
  if (layout::HasOptions2Members(size)) {
    PutU32(image, layout::kOptions2, 0x10);
    PutU32(image, layout::kOptions3, 0x20);
    PutText(image, layout::kDnsSuffix, "example.net", layout::kDnsSuffixWidth);
  }
  return image;
}

void PutEntry(HostPhonebook& phonebook, const std::string& name, std::uint32_t entrySize) {
  const auto image = PppoeLikeImage(entrySize);
  ASSERT_EQ(phonebook.SetEntryProperties(std::nullopt, name, image, entrySize), kRasSuccess)
      << name;
}

RasError ListNames(RasPhonebook& phonebook, std::vector<std::string>& names) {
  constexpr std::uint32_t kRecord = modRASVPN::kEntryNameRecordSize;
  std::vector<std::uint8_t> buffer(kRecord, 0);
  std::memcpy(buffer.data(), &kRecord, 4);
  std::uint32_t bytes = kRecord;
  std::uint32_t count = 0;
  RasError e = phonebook.EnumEntries(buffer.data(), bytes, count);
  if (e == kErrorBufferTooSmall) {
    buffer.assign(bytes, 0);
    std::memcpy(buffer.data(), &kRecord, 4);
    e = phonebook.EnumEntries(buffer.data(), bytes, count);
  }
  names.clear();
  if (e != kRasSuccess) return e;
  for (std::uint32_t i = 0; i < count; ++i) {
    names.emplace_back(reinterpret_cast<const char*>(buffer.data() + i * kRecord + 4));
  }
  return kRasSuccess;
}

std::vector<std::string> ListedNames(RasPhonebook& phonebook) {
  std::vector<std::string> names;
  EXPECT_EQ(ListNames(phonebook, names), kRasSuccess);
  return names;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at == std::string::npos) throw std::logic_error("no " + from);
  return text.replace(at, from.size(), to);
}

void TwoEntryPhonebook::SetUp() {
  PutEntry(phonebook, "first");
  PutEntry(phonebook, "second");
  original = ReadFile(path).value();
}

}  // namespace verolink::host::testing

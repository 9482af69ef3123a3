// The host phonebook file through the program's own calls, for phonebooks of
// 10, 1,000 and 10,000 entries: one write (SetRasEntry, the file read, parsed,
// rewritten, synced and renamed) and one existence check (EntryExists, the
// listing walked to its end: the name looked for is not there).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "host/platform/entry_image_decoder.h"
#include "host/platform/host_phonebook_platform.h"
#include "host/platform/phonebook_file_format.h"
#include "host/platform/phonebook_location.h"
#include "phonebook/set_ras_entry.h"
#include "pppoe/pppoe_entry.h"
#include "window/entry_exists.h"

namespace {

using namespace verolink;

void EntryCounts(benchmark::internal::Benchmark* b) {
  for (int count : {10, 1000, 10000}) b->Arg(count);
  b->UseRealTime()->Unit(benchmark::kMillisecond);
}

// A phonebook file of `count` PPPoE entries in a fresh folder under $TMPDIR,
// written in one go (filling it through the program would take a write per
// entry), and the host platform set up to use it.
class FilledPhonebook {
 public:
  explicit FilledPhonebook(int count) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/vl-bench-XXXXXX";
    folder_ = mkdtemp(pattern.data());
    const std::string path = folder_ + "/phonebook.pbk";
    setenv(host::kPhonebookVariable, path.c_str(), 1);
    setenv(host::kEntrySizeVariable, std::to_string(kEntrySize).c_str(), 1);
    host_.emplace();

    const Profile profile = basMain::BuiltInProfile();
    const CodePage& codePage = host_->phonebookSide().codePage;
    const auto image =
        modRASVPN::BuildEntryImage(PPPoE::PPPoEEntryRecord(profile), kEntrySize, codePage);
    host::PhonebookSection section;
    if (host::DecodeEntryImage(image, kEntrySize, section.fields) != kRasSuccess) std::abort();
    host::PhonebookContents contents;
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Entry %05d", i);
      section.name = name;
      contents.sections.push_back(section);
    }
    std::ofstream(path, std::ios::binary)
        << host::FormatPhonebook(contents, host::AnsiTextEscaping(codePage));
  }
  ~FilledPhonebook() {
    host_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  FilledPhonebook(const FilledPhonebook&) = delete;
  FilledPhonebook& operator=(const FilledPhonebook&) = delete;

  Platform platform() { return host_->platform(); }
  std::string path() const { return folder_ + "/phonebook.pbk"; }
  const CodePage& codePage() { return host_->phonebookSide().codePage; }

 private:
  static constexpr std::uint32_t kEntrySize = 2884;
  std::string folder_;
  std::optional<host::HostPhonebookPlatform> host_;
};

void BM_HostWrite(benchmark::State& state) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  Platform platform = book.platform();
  const Profile profile = basMain::BuiltInProfile();
  const RasEntryRecord record = PPPoE::PPPoEEntryRecord(profile);
  for (auto _ : state) {
    if (modRASVPN::SetRasEntry(platform, profile.ConnectionName, record, Text()) != kRasSuccess) {
      state.SkipWithError("write refused");
      break;
    }
  }
}
BENCHMARK(BM_HostWrite)->Apply(EntryCounts);

void BM_HostEntryExists(benchmark::State& state) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  Platform platform = book.platform();
  const Text name = basMain::BuiltInProfile().ConnectionName;
  for (auto _ : state) {
    if (EntryExists(platform, name)) {
      state.SkipWithError("the name should not be listed");
      break;
    }
  }
  state.counters["entries"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_HostEntryExists)->Apply(EntryCounts);

// Where the time of both goes: reading and checking the whole file, which
// every phonebook operation does once (a listing that must grow its buffer,
// as EntryExists's does, twice).
void BM_HostParse(benchmark::State& state) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  std::ifstream in(book.path(), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const host::AnsiTextEscaping escaping(book.codePage());
  for (auto _ : state) {
    host::PhonebookContents contents;
    if (host::ParsePhonebook(text, escaping, contents) != kRasSuccess) {
      state.SkipWithError("file damaged");
      break;
    }
  }
  state.counters["entries"] = static_cast<double>(state.range(0));
  state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_HostParse)->Apply(EntryCounts);

}  // namespace

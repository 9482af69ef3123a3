// The host phonebook file through the program's own calls, for phonebooks of
// 10, 100 and 1,000 entries, each call on a fresh phonebook object as at the
// first press of the button after the start (the file itself in the system's
// file cache, as it is after the first start):
//   EntryExists: the listing walked to its end (the name is not there);
//   Write: SetRasEntry of the provider's entry, which is there already;
//   Storage: the storage's own part of a write of a file that size, timed
//     alone in the same run: write, fsync, rename, folder fsync.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "doubles/fake_platform.h"
#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/phonebook_keyfile.h"
#include "host/system/host_code_page.h"
#include "phonebook/set_ras_entry.h"
#include "phonebook_bench_support.h"
#include "pppoe/pppoe_entry.h"
#include "window/entry_exists.h"

namespace {

using namespace verolink;
using Clock = std::chrono::steady_clock;

using bench::EntryCounts;
using bench::kEntrySize;
using bench::ProviderProfile;

// A phonebook file of `count` PPPoE entries, the provider's among them, in a
// fresh folder under $TMPDIR, written in one go.
class FilledPhonebook {
 public:
  explicit FilledPhonebook(int count) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/vl-bench-XXXXXX";
    folder_ = mkdtemp(pattern.data());
    RasEntryRecord record = PPPoE::PPPoEEntryRecord(ProviderProfile());
    record.dwSize = kEntrySize;
    std::vector<host::PhonebookEntry> entries;
    for (int i = 0; i + 1 < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Entry %05d", i);
      entries.push_back({name, record});
    }
    entries.push_back({codePage_.ToAnsi(ProviderProfile().ConnectionName), record});
    std::ofstream(path(), std::ios::binary) << host::FormatPhonebook(entries, codePage_);
  }
  ~FilledPhonebook() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  FilledPhonebook(const FilledPhonebook&) = delete;
  FilledPhonebook& operator=(const FilledPhonebook&) = delete;

  // Runs `press` again and again, each time on a fresh phonebook object.
  void Presses(benchmark::State& state, const std::function<bool(Platform&)>& press) {
    for (auto _ : state) {
      host::HostPhonebook phonebook(path(), kEntrySize, codePage_);
      Platform platform = fake_.platformWith(phonebook, codePage_);
      if (!press(platform)) {
        state.SkipWithError("unexpected result");
        break;
      }
    }
  }

  std::string folder() const { return folder_; }
  std::string path() const { return folder_ + "/phonebook.pbk"; }

 private:
  std::string folder_;
  host::HostCodePage codePage_{host::kDefaultCodePageName};
  testing::FakePlatform fake_;
};

void BM_EntryExists_Cold(benchmark::State& state) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  book.Presses(state, [](Platform& platform) { return !EntryExists(platform, u"Absent"); });
  state.counters["entries"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_EntryExists_Cold)->Apply(EntryCounts);

void BM_Write_Cold(benchmark::State& state) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  static const RasEntryRecord record = PPPoE::PPPoEEntryRecord(ProviderProfile());
  book.Presses(state, [](Platform& platform) {
    return modRASVPN::SetRasEntry(platform, ProviderProfile().ConnectionName, record, Text()) ==
           kRasSuccess;
  });
}
BENCHMARK(BM_Write_Cold)->Apply(EntryCounts);

// The same system calls as the phonebook's replace, on a text of the file's
// size, timed alone.
void BM_Storage(benchmark::State& state) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  std::ifstream in(book.path(), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  const std::string temporary = book.path() + ".stage";
  for (auto _ : state) {
    const auto start = Clock::now();
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool written = fd >= 0 &&
                         write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                         fsync(fd) == 0;
    if (fd >= 0) close(fd);
    const int folder = open(book.folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool done = written && rename(temporary.c_str(), book.path().c_str()) == 0 &&
                      folder >= 0 && fsync(folder) == 0;
    if (folder >= 0) close(folder);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (!done) {
      state.SkipWithError("replace failed");
      break;
    }
  }
  state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_Storage)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

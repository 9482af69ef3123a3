// The host phonebook file through the program's own calls, for phonebooks of
// 10, 1,000 and 10,000 entries: one write (SetRasEntry) and one existence
// check (EntryExists, the listing walked to its end: the name looked for is
// not there). Each in two cases:
//   Steady: the same phonebook object call after call, as in a running
//     program; the file is unchanged, or changed only by that object.
//   Cold: a fresh phonebook object for each call, as the first press of the
//     button after the program starts (the file itself is in the system's
//     file cache, as it is after the first start).
// Then where a write's time goes, and what a read costs right after a write.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "host/phonebook/cached_phonebook_file.h"
#include "host/phonebook/entry_image_decoder.h"
#include "host/phonebook/phonebook_file_format.h"
#include "host/phonebook/phonebook_file_text.h"
#include "host/phonebook/phonebook_location.h"
#include "host/system/host_phonebook_platform.h"
#include "phonebook/set_ras_entry.h"
#include "phonebook_bench_support.h"
#include "pppoe/pppoe_entry.h"
#include "window/entry_exists.h"

namespace {

using namespace verolink;
using Clock = std::chrono::steady_clock;

using bench::CheckEntry;
using bench::EntryCounts;
using bench::kEntrySize;
using bench::ProviderProfile;
using bench::WriteEntry;

// The provider's PPPoE entry as the phonebook stores it.
host::PhonebookSection ProviderSection(const CodePage& codePage) {
  const Profile& profile = ProviderProfile();
  const auto image =
      modRASVPN::BuildEntryImage(PPPoE::PPPoEEntryRecord(profile), kEntrySize, codePage);
  host::PhonebookSection section;
  if (host::DecodeEntryImage(image, kEntrySize, section.fields) != kRasSuccess) std::abort();
  section.name = codePage.ToAnsi(profile.ConnectionName);
  return section;
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
    setenv(host::kPhonebookVariable, path().c_str(), 1);
    setenv(host::kEntrySizeVariable, std::to_string(kEntrySize).c_str(), 1);
    host_.emplace();

    host::PhonebookSection section = ProviderSection(codePage());
    host::PhonebookContents contents;
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Entry %05d", i);
      section.name = name;
      contents.sections.push_back(section);
    }
    std::ofstream(path(), std::ios::binary)
        << host::FormatPhonebook(contents, host::AnsiTextEscaping(codePage()));
  }
  ~FilledPhonebook() {
    host_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  FilledPhonebook(const FilledPhonebook&) = delete;
  FilledPhonebook& operator=(const FilledPhonebook&) = delete;

  Platform platform() { return host_->platform(); }
  // The same platform with another phonebook object on the same file.
  Platform platformWith(RasPhonebook& phonebook) {
    const Platform p = platform();
    return Platform{phonebook,    p.systemMessages, p.memory,        p.eventLog, p.codePage,
                    p.automation, p.files,          p.processes,     p.browser,  p.messageBoxes,
                    p.eventPump,  p.sleeper,        p.commonControls};
  }
  std::unique_ptr<host::HostPhonebook> freshPhonebook() {
    return std::make_unique<host::HostPhonebook>(path(), kEntrySize, codePage());
  }
  std::string folder() const { return folder_; }
  std::string path() const { return folder_ + "/phonebook.pbk"; }
  const CodePage& codePage() { return host_->phonebookSide().codePage; }

 private:
  std::string folder_;
  std::optional<host::HostPhonebookPlatform> host_;
};

enum class Start { Steady, Cold };

// Runs `press` on the phonebook, again and again: through the same object
// (steady), or through a fresh one each time (cold) made and dropped with
// the clock stopped. `press` tells whether it went as expected.
void Presses(benchmark::State& state, Start start, const std::function<bool(Platform&)>& press) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  const Platform kept = book.platform();
  std::unique_ptr<host::HostPhonebook> fresh;
  for (auto _ : state) {
    if (start == Start::Cold) {
      state.PauseTiming();
      fresh = book.freshPhonebook();
      state.ResumeTiming();
    }
    Platform platform = fresh ? book.platformWith(*fresh) : kept;
    if (!press(platform)) {
      state.SkipWithError("unexpected result");
      break;
    }
  }
}

void BM_Write_Steady(benchmark::State& state) { Presses(state, Start::Steady, WriteEntry); }
BENCHMARK(BM_Write_Steady)->Apply(EntryCounts);

void BM_Write_Cold(benchmark::State& state) { Presses(state, Start::Cold, WriteEntry); }
BENCHMARK(BM_Write_Cold)->Apply(EntryCounts);

void BM_EntryExists_Steady(benchmark::State& state) {
  Presses(state, Start::Steady, CheckEntry);
  state.counters["entries"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_EntryExists_Steady)->Apply(EntryCounts);

void BM_EntryExists_Cold(benchmark::State& state) {
  Presses(state, Start::Cold, CheckEntry);
  state.counters["entries"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_EntryExists_Cold)->Apply(EntryCounts);

// The first press after the start as the workflow makes it: the existence
// check, then the write, on a fresh object. (The entry is there from the
// second press on; the listing is as long.)
void BM_FirstPress_Cold(benchmark::State& state) {
  Presses(state, Start::Cold, [](Platform& platform) {
    benchmark::DoNotOptimize(EntryExists(platform, ProviderProfile().ConnectionName));
    return WriteEntry(platform);
  });
}
BENCHMARK(BM_FirstPress_Cold)->Apply(EntryCounts);

// Reading and checking the whole file's text, which the first call of a
// fresh phonebook object does once.
void BM_CheckFile(benchmark::State& state) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  std::ifstream in(book.path(), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const host::AnsiTextEscaping escaping(book.codePage());
  for (auto _ : state) {
    host::PhonebookFileText checked;
    if (host::PhonebookFileText::Read(text, escaping, checked) != kRasSuccess) {
      state.SkipWithError("file damaged");
      break;
    }
  }
  state.counters["entries"] = static_cast<double>(state.range(0));
  state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_CheckFile)->Apply(EntryCounts);

// The first read after the object's own write reads the file once more to
// make sure nobody wrote into it within the same clock tick.
void BM_ReadAfterOwnWrite(benchmark::State& state) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  host::CachedPhonebookFile file(book.path(), book.codePage());
  const host::PhonebookSection section = ProviderSection(book.codePage());
  for (auto _ : state) {
    state.PauseTiming();
    if (file.Put(section) != kRasSuccess) {
      state.SkipWithError("write refused");
      break;
    }
    state.ResumeTiming();
    const host::PhonebookFileText* text = nullptr;
    if (file.Read(text) != kRasSuccess) {
      state.SkipWithError("read refused");
      break;
    }
  }
}
BENCHMARK(BM_ReadAfterOwnWrite)->Apply(EntryCounts);

// Where a steady write's time goes: the new text built from the kept one,
// then the same system calls as the phonebook's replace, each timed alone.
enum class Stage { Serialise, Write, Fsync, RenameAndFolderFsync };

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void WriteStage(benchmark::State& state, Stage stage) {
  FilledPhonebook book(static_cast<int>(state.range(0)));
  const host::AnsiTextEscaping escaping(book.codePage());
  std::ifstream in(book.path(), std::ios::binary);
  host::PhonebookFileText kept;
  if (host::PhonebookFileText::Read({std::istreambuf_iterator<char>(in), {}}, escaping, kept) !=
      kRasSuccess) {
    state.SkipWithError("file damaged");
    return;
  }
  const host::PhonebookSection section = ProviderSection(book.codePage());
  const std::string temporary = book.path() + ".stage";
  for (auto _ : state) {
    const auto start = Clock::now();
    const host::PhonebookFileText next = kept.WithSection(section, escaping);
    const auto serialised = Clock::now();
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool written = fd >= 0 && write(fd, next.text().data(), next.text().size()) ==
                                        static_cast<ssize_t>(next.text().size());
    const auto wrote = Clock::now();
    const bool synced = written && fsync(fd) == 0;
    const auto fsynced = Clock::now();
    if (fd >= 0) close(fd);
    const int folder = open(book.folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool renamed = synced && rename(temporary.c_str(), book.path().c_str()) == 0 &&
                         folder >= 0 && fsync(folder) == 0;
    if (folder >= 0) close(folder);
    const auto done = Clock::now();
    if (!renamed) {
      state.SkipWithError("replace failed");
      break;
    }
    switch (stage) {
      case Stage::Serialise:
        state.SetIterationTime(Seconds(start, serialised));
        break;
      case Stage::Write:
        state.SetIterationTime(Seconds(serialised, wrote));
        break;
      case Stage::Fsync:
        state.SetIterationTime(Seconds(wrote, fsynced));
        break;
      case Stage::RenameAndFolderFsync:
        state.SetIterationTime(Seconds(fsynced, done));
        break;
    }
  }
}

void StageCounts(benchmark::internal::Benchmark* b) {
  for (int count : {10, 1000, 10000}) b->Arg(count);
  b->UseManualTime()->Unit(benchmark::kMillisecond);
}

[[maybe_unused]] const bool kStagesRegistered = [] {
  const std::pair<const char*, Stage> stages[] = {
      {"BM_WriteStage_Serialise", Stage::Serialise},
      {"BM_WriteStage_Write", Stage::Write},
      {"BM_WriteStage_Fsync", Stage::Fsync},
      {"BM_WriteStage_RenameAndFolderFsync", Stage::RenameAndFolderFsync},
  };
  for (const auto& [name, stage] : stages) {
    benchmark::RegisterBenchmark(name, WriteStage, stage)->Apply(StageCounts);
  }
  return true;
}();

}  // namespace

// The NetworkManager phonebook through the program's own calls, for folders
// of 10, 1,000 and 10,000 connection keyfiles: one existence check
// (EntryExists, the name looked for is not there, so every connection is
// listed) and one write (SetRasEntry, the login answered at once, the
// reload request included). Cold: a fresh phonebook object for each call, as
// at the first press after the start (the files and the listing's cache file
// are in the system's file cache); steady: the same object again; first run:
// a fresh object without any cache file, every keyfile read.
// Beside them, the same write made by NetworkManager's own tool without a
// daemon: `nmcli --offline connection add ...`, which builds and prints the
// keyfile, saved into the folder as the phonebook saves its own.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "doubles/fake_platform.h"
#include "host/phonebook/nm_connection.h"
#include "host/phonebook/nm_connection_index.h"
#include "host/phonebook/nm_phonebook.h"
#include "host/system/atomic_file.h"
#include "host/system/host_code_page.h"
#include "host/system/host_process_capture.h"
#include "phonebook/read_entry_image.h"
#include "phonebook/set_ras_entry.h"
#include "phonebook_bench_support.h"
#include "pppoe/pppoe_entry.h"
#include "start/profile.h"
#include "window/entry_exists.h"

namespace {

using namespace verolink;

using bench::EntryCounts;
using bench::kEntrySize;
using bench::ProviderProfile;

// Longer than the margin after which a fine-stamped file's version is settled.
constexpr std::chrono::milliseconds kSettle{200};

class AnsweredPrompt : public host::LoginPrompt {
 public:
  std::optional<std::string> AskLogin(const std::string&, const std::string&) override {
    return "subscriber";
  }
};

// A folder of `count` PPPoE keyfiles as the phonebook writes them, in a
// fresh folder under $TMPDIR.
class FilledFolder {
 public:
  explicit FilledFolder(int count) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/vl-nm-XXXXXX";
    folder_ = mkdtemp(pattern.data());
    index_ = folder_ + ".index";
    const auto image = modRASVPN::BuildEntryImage(PPPoE::PPPoEEntryRecord(ProviderProfile()),
                                                  kEntrySize, codePage_);
    RasEntryRecord entry;
    if (modRASVPN::ReadEntryImage(image, kEntrySize, codePage_, entry) != kRasSuccess) {
      std::abort();
    }
    host::PppoeConnection connection = host::ConnectionFromEntry(entry);
    connection.username = "subscriber";
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Entry %05d", i);
      connection.id = name;
      connection.uuid = host::NewUuid();
      if (host::ReplaceFileAtomically(folder_, std::string(name) + ".nmconnection",
                                      host::ConnectionKeyfile(connection).Format(), 0600,
                                      false) != 0) {
        std::abort();
      }
    }
    // Files changed just now are read again until they have settled.
    std::this_thread::sleep_for(kSettle);
  }
  ~FilledFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    std::filesystem::remove(index_, ignored);
  }
  FilledFolder(const FilledFolder&) = delete;
  FilledFolder& operator=(const FilledFolder&) = delete;

  std::unique_ptr<host::NmPhonebook> freshPhonebook(bool cached = true) {
    return std::make_unique<host::NmPhonebook>(folder_, kEntrySize, codePage_, prompt_,
                                               host::RequestConnectionReload,
                                               cached ? index_ : std::string());
  }
  Platform platformWith(RasPhonebook& phonebook) {
    return fake_.platformWith(phonebook, codePage_);
  }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  std::string index_;  // the listing's cache file, beside the folder
  host::HostCodePage codePage_{host::kDefaultCodePageName};
  AnsweredPrompt prompt_;
  verolink::testing::FakePlatform fake_;
};

// Steady: the same object again. Cold: a fresh object, the folder as the
// last call left it (for a write: just changed by the write before, so the
// listing looks at every file). Settled: a fresh object on a folder that has
// not changed since the cache was last written, as at a first press when the
// previous run ended with a listing. FirstRun: a fresh object, no cache file.
enum class Start { Steady, Cold, Settled, FirstRun };

void Presses(benchmark::State& state, Start start, bool (*press)(Platform&)) {
  FilledFolder folder(static_cast<int>(state.range(0)));
  std::unique_ptr<host::NmPhonebook> phonebook = folder.freshPhonebook();
  if (start != Start::FirstRun) {
    // The first press after the very first start: it writes the cache file.
    Platform platform = folder.platformWith(*phonebook);
    if (!press(platform)) state.SkipWithError("unexpected result");
  }
  for (auto _ : state) {
    if (start != Start::Steady) {
      state.PauseTiming();
      if (start == Start::Settled) {
        std::this_thread::sleep_for(kSettle);
        const auto previousRun = folder.freshPhonebook();
        Platform lister = folder.platformWith(*previousRun);
        EntryExists(lister, u"Absent INTERNET");
      }
      phonebook = folder.freshPhonebook(start != Start::FirstRun);
      state.ResumeTiming();
    }
    Platform platform = folder.platformWith(*phonebook);
    if (!press(platform)) {
      state.SkipWithError("unexpected result");
      break;
    }
  }
  state.counters["entries"] = static_cast<double>(state.range(0));
}

bool WriteEntry(Platform& platform) {
  static const RasEntryRecord record = PPPoE::PPPoEEntryRecord(ProviderProfile());
  return modRASVPN::SetRasEntry(platform, ProviderProfile().ConnectionName, record, Text()) ==
         kRasSuccess;
}

bool CheckEntry(Platform& platform) { return !EntryExists(platform, u"Absent INTERNET"); }

void BM_NmEntryExists_Cold(benchmark::State& state) { Presses(state, Start::Cold, CheckEntry); }
BENCHMARK(BM_NmEntryExists_Cold)->Apply(EntryCounts);

void BM_NmEntryExists_Steady(benchmark::State& state) { Presses(state, Start::Steady, CheckEntry); }
BENCHMARK(BM_NmEntryExists_Steady)->Apply(EntryCounts);

void BM_NmEntryExists_FirstRun(benchmark::State& state) {
  Presses(state, Start::FirstRun, CheckEntry);
}
BENCHMARK(BM_NmEntryExists_FirstRun)->Apply(EntryCounts);

void BM_NmWrite_Cold(benchmark::State& state) { Presses(state, Start::Cold, WriteEntry); }
BENCHMARK(BM_NmWrite_Cold)->Apply(EntryCounts);

void BM_NmWrite_Settled(benchmark::State& state) { Presses(state, Start::Settled, WriteEntry); }
BENCHMARK(BM_NmWrite_Settled)->Apply(EntryCounts);

void BM_NmWrite_Steady(benchmark::State& state) { Presses(state, Start::Steady, WriteEntry); }
BENCHMARK(BM_NmWrite_Steady)->Apply(EntryCounts);

// NetworkManager's own tool for the same connection, no daemon: it prints
// the keyfile, which is then saved into the folder.
void BM_NmcliOfflineAdd(benchmark::State& state) {
  FilledFolder folder(static_cast<int>(state.range(0)));
  const std::vector<std::string> argv = {"nmcli",
                                         "--offline",
                                         "connection",
                                         "add",
                                         "type",
                                         "pppoe",
                                         "con-name",
                                         ToUtf8(ProviderProfile().ConnectionName),
                                         "connection.autoconnect",
                                         "no",
                                         "pppoe.service",
                                         ToUtf8(ProviderProfile().ServiceName),
                                         "pppoe.username",
                                         "subscriber",
                                         "pppoe.password-flags",
                                         "2",
                                         "ppp.refuse-eap",
                                         "yes",
                                         "ipv6.method",
                                         "disabled"};
  for (auto _ : state) {
    const auto keyfile = host::CaptureOutput(argv, std::chrono::seconds(10));
    if (!keyfile ||
        host::ReplaceFileAtomically(folder.folder(), "nmcli.nmconnection", *keyfile, 0600) != 0) {
      state.SkipWithError("nmcli --offline connection add failed (is network-manager installed?)");
      break;
    }
  }
  state.counters["entries"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_NmcliOfflineAdd)->Apply(EntryCounts);

}  // namespace

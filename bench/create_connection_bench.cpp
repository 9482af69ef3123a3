// The whole create-connection workflow against the test doubles: listing,
// write, shortcut and firewall restart. The sleeper double makes the two
// 250 ms pauses free, so the figure is the program's own work.
#include <benchmark/benchmark.h>

#include "doubles/fake_platform.h"
#include "window/create_connection.h"
#include "window/main_form.h"

namespace {

using namespace verolink;

struct Workflow {
  Workflow() {
    fake.automation.connectionItems = {profile.ConnectionName};
    fake.phonebook.recordWrites = false;
    form.Load();
    form.SetCheckValue(ControlId::Ярлык, kCheckTicked);
    form.SetCheckValue(ControlId::ВключитьФайервол, kCheckTicked);
  }

  // Forgets what the doubles recorded, so a long run does not grow them.
  void ForgetRecords() {
    fake.log.clear();
    fake.phonebook.enumCalls.clear();
    fake.phonebook.deletions.clear();
    fake.memory.allocationSizes.clear();
    fake.automation.copiedToDesktop.clear();
    fake.files.deleted.clear();
    fake.processes.starts.clear();
    fake.processes.waits.clear();
    fake.messageBoxes.shown.clear();
    fake.sleeper.sleeps.clear();
  }

  testing::FakePlatform fake;
  Platform platform = fake.platform();
  Profile profile = basMain::BuiltInProfile();
  ОсновнаяФорма form{platform, profile};
};

// No entry of that name: list, write, shortcut, firewall, report.
void BM_CreateConnectionNew(benchmark::State& state) {
  Workflow w;
  w.fake.phonebook.addWrittenEntries = false;
  for (auto _ : state) {
    CreateConnection(w.platform, w.profile, w.form);
    w.ForgetRecords();
  }
}
BENCHMARK(BM_CreateConnectionNew);

// The entry is in the way and the user agrees: the shortcut and entry are
// removed first, then everything as above.
void BM_CreateConnectionReplace(benchmark::State& state) {
  Workflow w;
  w.fake.phonebook.entries = {"Pelkar INTERNET"};
  for (auto _ : state) {
    w.fake.messageBoxes.answers = {kAnswerYes};
    CreateConnection(w.platform, w.profile, w.form);
    w.ForgetRecords();
  }
  if (w.fake.phonebook.entries.size() != 1) state.SkipWithError("entry not replaced");
}
BENCHMARK(BM_CreateConnectionReplace);

}  // namespace

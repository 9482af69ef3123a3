// Two programs writing their entries at once while a third lists the
// phonebook: nothing is lost, and the reader never sees a damaged or
// shrinking phonebook (only, now and then, one that grew during its listing).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <set>

#include "host_backed_platform.h"
#include "host_test_support.h"

namespace verolink::faults {
namespace {

using host::testing::StartChild;
using host::testing::TempFolder;
using host::testing::WaitChild;

constexpr int kEach = 25;

Text NameOf(char16_t writer, int i) { return Text(u"Writer ") + writer + u" " + ToDecimal(i); }

TEST(ConcurrentPrograms, TwoWritersAndAReaderLoseNothing) {
  TempFolder folder;
  const std::string path = folder / "phonebook.pbk";

  std::vector<int> writers;
  for (char16_t writer : {u'A', u'B'}) {
    writers.push_back(StartChild([&, writer] {
      HostBackedPlatform host(path);
      for (int i = 0; i < kEach; ++i) {
        if (!host.Create(NameOf(writer, i))) return 1;
      }
      return 0;
    }));
  }
  const int reader = StartChild([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::size_t seen = 0;
    while (seen < 2 * kEach) {
      if (std::chrono::steady_clock::now() > deadline) return 3;
      HostBackedPlatform host(path);
      const std::size_t count = host.Listed().size();
      const auto& events = host.fake.eventLog.errors;
      // A phonebook that grew between the listing's two calls on every one
      // of its bounded attempts fails the listing, as designed; any other
      // failure would mean a damaged or unreadable file.
      if (!events.empty() && events[0] == u"RasEnumEntries failed = 603") continue;
      if (!events.empty()) {
        std::fprintf(stderr, "listing: %s\n", ToUtf8(events[0]).c_str());
        return 1;
      }
      if (count < seen) return 2;  // an entry went missing
      seen = count;
    }
    return 0;
  });

  for (int pid : writers) EXPECT_EQ(WaitChild(pid), 0);
  EXPECT_EQ(WaitChild(reader), 0) << "1: a listing failed, 2: the phonebook shrank, 3: time out";

  HostBackedPlatform host(path);
  const std::vector<Text> listed = host.Listed();
  std::set<Text> expected;
  for (char16_t writer : {u'A', u'B'}) {
    for (int i = 0; i < kEach; ++i) expected.insert(NameOf(writer, i));
  }
  EXPECT_EQ(std::set<Text>(listed.begin(), listed.end()), expected);
  EXPECT_EQ(listed.size(), expected.size());
}

}  // namespace
}  // namespace verolink::faults

#include "phonebook/entry_listing.h"

#include <gtest/gtest.h>

#include <cstring>

#include "doubles/fake_platform.h"
#include "window/entry_exists.h"

namespace verolink::testing {
namespace {

using modRASVPN::ByteArrayToString;
using modRASVPN::EnumRasEntries;

// A phonebook double with its listing, and the listing's outcome.
struct Listing {
  FakePlatform fake;
  std::vector<Text> names;
  int count = -1;
  RasError failure = -1;

  int Run() {
    Platform p = fake.platform();
    count = EnumRasEntries(p, names, failure);
    return count;
  }
  std::vector<std::uint32_t> ByteCountsIn() const {
    std::vector<std::uint32_t> out;
    for (const auto& call : fake.phonebook.enumCalls) out.push_back(call.byteCountIn);
    return out;
  }
};

const std::vector<Text> kFortyEmpty(40);

void PutRecord(std::uint8_t* buffer, std::size_t offset, std::uint32_t sizeField,
               const std::string& name) {
  std::memcpy(buffer + offset, &sizeField, 4);
  std::memcpy(buffer + offset + 4, name.c_str(), name.size() + 1);
}

TEST(EnumRasEntries, EmptyPhonebookListsNothingAndLogsNothing) {
  Listing l;
  EXPECT_EQ(l.Run(), 0);
  EXPECT_EQ(l.names, kFortyEmpty);
  EXPECT_TRUE(l.fake.eventLog.errors.empty());
  EXPECT_EQ(l.ByteCountsIn(), std::vector<std::uint32_t>{264});
  EXPECT_EQ(l.fake.phonebook.enumCalls[0].firstRecordSize, 264u);
  EXPECT_EQ(l.fake.memory.Outstanding(), 0u);
}

TEST(EnumRasEntries, OneEntryFitsTheFirstCall) {
  Listing l;
  l.fake.phonebook.entries = {"Pelkar INTERNET"};
  EXPECT_EQ(l.Run(), 1);
  EXPECT_EQ(l.names, std::vector<Text>{u"Pelkar INTERNET"});
  EXPECT_EQ(l.ByteCountsIn(), std::vector<std::uint32_t>{264});
  EXPECT_EQ(l.fake.memory.Outstanding(), 0u);
}

TEST(EnumRasEntries, ThreeEntriesTakeOneLargerBlockOfTheReportedSize) {
  Listing l;
  l.fake.phonebook.entries = {FakeCodePage().ToAnsi(u"Домашний"), "Pelkar INTERNET", "VPN"};
  EXPECT_EQ(l.Run(), 3);
  EXPECT_EQ(l.names, (std::vector<Text>{u"Домашний", u"Pelkar INTERNET", u"VPN"}));
  EXPECT_EQ(l.ByteCountsIn(), (std::vector<std::uint32_t>{264, 792}));
  EXPECT_EQ(l.fake.phonebook.enumCalls[1].firstRecordSize, 264u);
  EXPECT_EQ(l.fake.memory.allocationSizes, (std::vector<std::size_t>{264, 792}));
  EXPECT_EQ(l.fake.memory.released, 2);
  EXPECT_EQ(l.fake.memory.Outstanding(), 0u);
  EXPECT_TRUE(l.fake.eventLog.errors.empty());
}

TEST(EnumRasEntries, LongestNameAndMoreThanFortyNamesComeBackWhole) {
  Listing l;
  for (int i = 0; i < 45; ++i) l.fake.phonebook.entries.push_back("entry " + std::to_string(i));
  l.fake.phonebook.entries[44] = std::string(256, 'n');
  EXPECT_EQ(l.Run(), 45);
  ASSERT_EQ(l.names.size(), 45u);
  EXPECT_EQ(l.names[0], u"entry 0");
  EXPECT_EQ(l.names[43], u"entry 43");
  EXPECT_EQ(l.names[44], Text(256, u'n'));
}

// Each failure: one event with its exact text, no names, every block back.
TEST(EnumRasEntries, FailuresAreLoggedAndListNothing) {
  struct Case {
    const char* what;
    std::function<void(FakePlatform&)> arrange;
    const char16_t* event;
    std::size_t calls;
    RasError failure;
  };
  const std::vector<Case> cases = {
      {"first block", [](FakePlatform& f) { f.memory.failingAllocations = {1}; },
       u"LocalAlloc failed!0", 0, modRASVPN::kErrorNotEnoughMemory},
      {"larger block",
       [](FakePlatform& f) {
         f.phonebook.entries = {"a", "b"};
         f.memory.failingAllocations = {2};
       },
       u"LocalAlloc failed!603", 1, modRASVPN::kErrorNotEnoughMemory},
      {"first call",
       [](FakePlatform& f) {
         f.phonebook.enumOverride = [](std::uint8_t*, std::uint32_t&, std::uint32_t&) { return 5; };
       },
       u"RasEnumEntries failed: Error  5", 1, 5},
      {"603 without a byte count",
       [](FakePlatform& f) {
         f.phonebook.enumOverride = [](std::uint8_t*, std::uint32_t& bytes, std::uint32_t&) {
           bytes = 0;
           return kErrorBufferTooSmall;
         };
       },
       u"RasEnumEntries failed: Error  603", 1, kErrorBufferTooSmall},
      {"second call fails",
       [](FakePlatform& f) {
         f.phonebook.enumOverride = [](std::uint8_t*, std::uint32_t& bytes, std::uint32_t&) {
           if (bytes > 264) return 621;
           bytes = 264 * 2;
           return kErrorBufferTooSmall;
         };
       },
       u"RasEnumEntries failed = 621", 2, 621},
      {"grows between the calls on every attempt",
       [](FakePlatform& f) {
         f.phonebook.entries = {"a", "b"};
         f.phonebook.growthsBetweenCalls = -1;
       },
       u"RasEnumEntries failed = 603", 2 * modRASVPN::kListingAttempts, kErrorBufferTooSmall},
  };
  for (const Case& c : cases) {
    Listing l;
    c.arrange(l.fake);
    EXPECT_EQ(l.Run(), 0) << c.what;
    EXPECT_EQ(l.names, kFortyEmpty) << c.what;
    EXPECT_EQ(l.fake.eventLog.errors, std::vector<Text>{c.event}) << c.what;
    EXPECT_EQ(l.fake.phonebook.enumCalls.size(), c.calls) << c.what;
    EXPECT_EQ(l.failure, c.failure) << c.what;
    EXPECT_EQ(l.fake.memory.Outstanding(), 0u) << c.what;
  }
}

TEST(EnumRasEntries, GrowthBetweenTheCallsIsListedWholeOnTheNextAttempt) {
  Listing l;
  l.fake.phonebook.entries = {"a", "b"};
  l.fake.phonebook.growthsBetweenCalls = 1;
  EXPECT_EQ(l.Run(), 3);
  EXPECT_EQ(l.names, (std::vector<Text>{u"a", u"b", u"added 3"}));
  EXPECT_EQ(l.failure, kRasSuccess);
  EXPECT_TRUE(l.fake.eventLog.errors.empty());
  EXPECT_EQ(l.ByteCountsIn(), (std::vector<std::uint32_t>{264, 528, 264, 792}));
  EXPECT_EQ(l.fake.memory.Outstanding(), 0u);
}

// Whatever sizes and counts the platform reports, the walk stays inside the
// block it filled (the sanitizer build catches any read past it).
TEST(EnumRasEntries, MalformedRecordsNeverLeadPastTheBlock) {
  using Fill = std::function<RasError(std::uint8_t*, std::uint32_t&, std::uint32_t&)>;
  struct Case {
    const char* what;
    Fill fill;
    int count;
    const char16_t* first = u"";  // the first name listed
  };
  const auto oneBlockOf = [](std::uint32_t needed, std::function<void(std::uint8_t*)> put,
                             std::uint32_t reported) -> Fill {
    return [=](std::uint8_t* buffer, std::uint32_t& bytes, std::uint32_t& entries) {
      if (bytes != needed) {
        bytes = needed;
        return kErrorBufferTooSmall;
      }
      put(buffer);
      entries = reported;
      return kRasSuccess;
    };
  };
  const std::vector<Case> cases = {
      {"count beyond a one-record block",
       oneBlockOf(
           264, [](std::uint8_t* b) { PutRecord(b, 0, 264, "a"); }, 10),
       1, u"a"},
      {"count beyond a three-record block",
       oneBlockOf(
           792,
           [](std::uint8_t* b) {
             for (int i = 0; i < 3; ++i) PutRecord(b, 264 * i, 264, "r");
           },
           1000),
       3, u"r"},
      {"size field 0 steps by the 264 bytes asked for",
       oneBlockOf(
           792,
           [](std::uint8_t* b) {
             for (int i = 0; i < 3; ++i) PutRecord(b, 264 * i, 0, "z");
           },
           3),
       3, u"z"},
      {"size field past the block",
       oneBlockOf(
           792, [](std::uint8_t* b) { PutRecord(b, 0, 0xFFFFFFFF, "a"); }, 3),
       1, u"a"},
      {"short records ending inside the last one",
       oneBlockOf(
           792,
           [](std::uint8_t* b) {
             for (int i = 0; i < 8; ++i) PutRecord(b, 100 * i, 100, "s");
           },
           100),
       8, u"s"},
      {"block smaller than one record",
       oneBlockOf(
           100, [](std::uint8_t* b) { PutRecord(b, 0, 264, "ab"); }, 2),
       1, u"ab"},
      {"block too small for a size field",
       oneBlockOf(
           3, [](std::uint8_t*) {}, 1),
       0},
  };
  for (const Case& c : cases) {
    Listing l;
    l.fake.phonebook.enumOverride = c.fill;
    EXPECT_EQ(l.Run(), c.count) << c.what;
    EXPECT_EQ(l.names.at(0), c.first) << c.what;
    EXPECT_EQ(l.fake.memory.Outstanding(), 0u) << c.what;
    EXPECT_TRUE(l.fake.eventLog.errors.empty()) << c.what;
  }
}

TEST(ByteArrayToString, StopsAtZeroAndNeverConvertsTheLastByte) {
  const FakeCodePage cp;
  const std::uint8_t withZero[] = {'a', 'b', 0, 'c', 0};
  const std::uint8_t full[] = {0xCF, 0xE5, 'x'};
  EXPECT_EQ(ByteArrayToString(withZero, cp), u"ab");
  EXPECT_EQ(ByteArrayToString(full, cp), u"Пе");
  EXPECT_EQ(ByteArrayToString({}, cp), u"");
}

TEST(EntryExists, MatchesOnlyTheExactName) {
  FakePlatform fake;
  Platform p = fake.platform();
  fake.phonebook.entries = {"pelkar INTERNET", "Pelkar INTERNET ", fake.codePage.ToAnsi(u"Другое")};
  EXPECT_FALSE(EntryExists(p, u"Pelkar INTERNET"));  // differs in case / a trailing space
  EXPECT_TRUE(EntryExists(p, u"Другое"));
  fake.phonebook.entries.push_back("Pelkar INTERNET");
  EXPECT_TRUE(EntryExists(p, u"Pelkar INTERNET"));
}

TEST(EntryExists, EmptyListingAnswersNoAndAFailedOneSaysItFailed) {
  FakePlatform fake;
  Platform p = fake.platform();
  RasError failure = -1;
  EXPECT_FALSE(EntryExists(p, u"Pelkar INTERNET", failure));
  EXPECT_EQ(failure, kRasSuccess);
  EXPECT_FALSE(EntryExists(p, u""));  // the 40 empty slots are not names
  fake.phonebook.entries = {"Pelkar INTERNET"};
  fake.memory.failingAllocations = {3};  // the third listing's block
  EXPECT_FALSE(EntryExists(p, u"Pelkar INTERNET", failure));
  EXPECT_EQ(failure, modRASVPN::kErrorNotEnoughMemory);
}

}  // namespace
}  // namespace verolink::testing

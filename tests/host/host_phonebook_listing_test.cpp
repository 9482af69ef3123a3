// The listing's buffer contract and entry deletion.

#include <gtest/gtest.h>

#include <cstring>

#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host_test_support.h"

namespace verolink::host::testing {
namespace {

constexpr std::uint32_t kRecord = 264;

std::vector<std::uint8_t> ListingBuffer(std::size_t bytes, std::uint32_t firstSize = kRecord) {
  std::vector<std::uint8_t> buffer(bytes, 0xEE);
  std::memcpy(buffer.data(), &firstSize, 4);
  return buffer;
}

class Listing : public ::testing::Test {
 protected:
  TempFolder folder;
  HostPhonebook phonebook{folder / "book/phonebook.pbk", 2884, Cp1251()};
};

TEST_F(Listing, EmptyPhonebookListsNothingAndCreatesNothing) {
  auto buffer = ListingBuffer(kRecord);
  std::uint32_t bytes = kRecord, count = 99;
  EXPECT_EQ(phonebook.EnumEntries(buffer.data(), bytes, count), kRasSuccess);
  EXPECT_EQ(count, 0u);
  bytes = 0;
  EXPECT_EQ(phonebook.EnumEntries(nullptr, bytes, count), kRasSuccess);
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(Exists(folder / "book"));
}

TEST_F(Listing, TooSmallBufferTellsTheSizeThenTheRecordsFill) {
  PutEntry(phonebook, "one");
  PutEntry(phonebook, "two");
  PutEntry(phonebook, std::string(256, 'x'));

  auto small = ListingBuffer(kRecord);
  std::uint32_t bytes = kRecord, count = 0;
  EXPECT_EQ(phonebook.EnumEntries(small.data(), bytes, count), kErrorBufferTooSmall);
  EXPECT_EQ(bytes, 3 * kRecord);
  EXPECT_EQ(count, 3u);

  auto big = ListingBuffer(3 * kRecord + 100);
  bytes = 3 * kRecord + 100;
  count = 0;
  ASSERT_EQ(phonebook.EnumEntries(big.data(), bytes, count), kRasSuccess);
  EXPECT_EQ(count, 3u);
  const char* names[] = {"one", "two"};
  for (std::uint32_t i = 0; i < 3; ++i) {
    const std::uint8_t* record = big.data() + i * kRecord;
    std::uint32_t size = 0;
    std::memcpy(&size, record, 4);
    EXPECT_EQ(size, kRecord);
    const std::string name = i < 2 ? names[i] : std::string(256, 'x');
    EXPECT_EQ(std::memcmp(record + 4, name.data(), name.size()), 0);
    for (std::size_t k = 4 + name.size(); k < kRecord; ++k) ASSERT_EQ(record[k], 0) << i << k;
  }
  // Bytes past the records are the caller's.
  EXPECT_EQ(big[3 * kRecord], 0xEE);
}

TEST_F(Listing, WrongRecordSizeOrMissingBufferIsRefused) {
  PutEntry(phonebook, "one");
  std::uint32_t count = 0;
  for (std::uint32_t size : {0u, 260u, 261u, 263u, 265u, 532u}) {
    auto buffer = ListingBuffer(kRecord, size);
    std::uint32_t bytes = kRecord;
    EXPECT_EQ(phonebook.EnumEntries(buffer.data(), bytes, count), kErrorInvalidSize) << size;
  }
  auto buffer = ListingBuffer(kRecord);
  std::uint32_t bytes = 3;
  EXPECT_EQ(phonebook.EnumEntries(buffer.data(), bytes, count), kErrorInvalidSize);
  bytes = kRecord;
  EXPECT_EQ(phonebook.EnumEntries(nullptr, bytes, count), kErrorBufferInvalid);
  // A null buffer of no bytes asks for the size.
  bytes = 0;
  EXPECT_EQ(phonebook.EnumEntries(nullptr, bytes, count), kErrorBufferTooSmall);
  EXPECT_EQ(bytes, kRecord);
}

TEST_F(Listing, DeleteRemovesOnlyThatEntry) {
  EXPECT_EQ(phonebook.DeleteEntry("one"), kErrorCannotFindPhonebookEntry);
  EXPECT_FALSE(Exists(folder / "book")) << "a failed delete created the folder";

  PutEntry(phonebook, "one");
  PutEntry(phonebook, "two");
  PutEntry(phonebook, "three");
  EXPECT_EQ(phonebook.DeleteEntry("two"), kRasSuccess);
  EXPECT_EQ(phonebook.DeleteEntry("two"), kErrorCannotFindPhonebookEntry);
  EXPECT_EQ(phonebook.DeleteEntry("One"), kErrorCannotFindPhonebookEntry);
  EXPECT_EQ(phonebook.DeleteEntry("one "), kErrorCannotFindPhonebookEntry);

  std::vector<std::string> names;
  ASSERT_EQ(ListNames(phonebook, names), kRasSuccess);
  EXPECT_EQ(names, (std::vector<std::string>{"one", "three"}));
  EXPECT_EQ(phonebook.DeleteEntry("one"), kRasSuccess);
  EXPECT_EQ(phonebook.DeleteEntry("three"), kRasSuccess);
  ASSERT_EQ(ListNames(phonebook, names), kRasSuccess);
  EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace verolink::host::testing

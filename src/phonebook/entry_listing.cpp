#include "phonebook/entry_listing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

namespace verolink::modRASVPN {

namespace {

using NameRecord = std::array<std::uint8_t, kEntryNameRecordSize>;
constexpr std::size_t kSizeFieldBytes = sizeof(std::uint32_t);

// One listing block from the platform's memory, released when it goes out of
// scope, so every path gives it back.
class ListingBlock {
 public:
  ListingBlock(MemoryBlocks& memory, std::size_t bytes)
      : memory_(memory), data_(memory.AllocateZeroed(bytes)), size_(bytes) {}
  ListingBlock(const ListingBlock&) = delete;
  ListingBlock& operator=(const ListingBlock&) = delete;
  ~ListingBlock() {
    if (data_ != nullptr) memory_.Release(data_);
  }

  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  MemoryBlocks& memory_;
  std::uint8_t* data_;
  std::size_t size_;
};

// Places a fresh record (size field 264, all else zero) at the start of the
// block and lists into it; byteCount comes back as the platform set it.
RasError ListInto(Platform& platform, const ListingBlock& block, std::uint32_t& byteCount,
                  std::uint32_t& entryCount) {
  NameRecord fresh{};
  const std::uint32_t recordSize = kEntryNameRecordSize;
  std::memcpy(fresh.data(), &recordSize, kSizeFieldBytes);
  std::memcpy(block.data(), fresh.data(), std::min(fresh.size(), block.size()));
  byteCount = static_cast<std::uint32_t>(block.size());
  entryCount = 0;
  return platform.phonebook.EnumEntries(block.data(), byteCount, entryCount);
}

// Writes the event for a failed listing and tells the caller the error.
int Fail(Platform& platform, std::u16string_view text, RasError lastResult, RasError error,
         RasError& failure) {
  platform.eventLog.ReportError(Text(text) + ToDecimal(lastResult));
  failure = error;
  return 0;
}

// Reads the names of up to entryCount records lying back to back in the block.
// Every read stays inside the block, whatever sizes and count the platform
// reported: the walk ends at the block's end or at a record whose size field
// steps past it. A size field of 0 steps by the record size the program asked
// for, so that the walk goes on instead of reading one record again.
int WalkRecords(const ListingBlock& block, std::uint32_t entryCount, std::vector<Text>& names,
                const CodePage& codePage) {
  int count = 0;
  std::size_t position = 0;
  for (std::uint32_t k = 0; k < entryCount; ++k) {
    const std::size_t remaining = block.size() - position;
    if (remaining < kSizeFieldBytes) break;
    NameRecord record{};
    std::memcpy(record.data(), block.data() + position, std::min(record.size(), remaining));
    ++count;
    if (names.size() < static_cast<std::size_t>(count)) names.resize(count);
    names[count - 1] = ByteArrayToString(
        std::span<const std::uint8_t>(record).subspan(kSizeFieldBytes, kEntryNameFieldSize),
        codePage);
    std::uint32_t step = 0;
    std::memcpy(&step, record.data(), kSizeFieldBytes);
    if (step == 0) step = kEntryNameRecordSize;
    if (step > remaining) break;
    position += step;
  }
  return count;
}

}  // namespace

Text ByteArrayToString(std::span<const std::uint8_t> bytes, const CodePage& codePage) {
  // The name is converted whole: on a multi-byte code page one character
  // takes several bytes.
  std::size_t length = 0;
  while (length + 1 < bytes.size() && bytes[length] != 0) ++length;
  return codePage.FromAnsi(std::string_view(reinterpret_cast<const char*>(bytes.data()), length));
}

int EnumRasEntries(Platform& platform, std::vector<Text>& names, RasError& failure) {
  names.assign(kInitialNameSlots, Text());
  failure = kRasSuccess;

  std::optional<ListingBlock> block;
  std::uint32_t byteCount = 0;
  std::uint32_t entryCount = 0;
  RasError result = kRasSuccess;
  for (int attempt = 1;; ++attempt) {
    block.emplace(platform.memory, kEntryNameRecordSize);
    if (block->data() == nullptr) {
      return Fail(platform, u"LocalAlloc failed!", result, kErrorNotEnoughMemory, failure);
    }
    result = ListInto(platform, *block, byteCount, entryCount);
    if (result != kErrorBufferTooSmall || byteCount == 0) break;
    // One larger block, exactly as big as the platform asks; emplace gives
    // the first block back before the second is taken.
    block.emplace(platform.memory, byteCount);
    if (block->data() == nullptr) {
      return Fail(platform, u"LocalAlloc failed!", result, kErrorNotEnoughMemory, failure);
    }
    result = ListInto(platform, *block, byteCount, entryCount);
    if (result == kRasSuccess) break;
    // 603 again: the phonebook grew between the two calls; the pair is made
    // anew while attempts are left.
    if (result != kErrorBufferTooSmall || attempt == kListingAttempts) {
      return Fail(platform, u"RasEnumEntries failed = ", result, result, failure);
    }
  }
  if (result != kRasSuccess) {
    return Fail(platform, u"RasEnumEntries failed: Error  ", result, result, failure);
  }

  const int count = WalkRecords(*block, entryCount, names, platform.codePage);
  block.reset();
  if (count > 0) names.resize(count);
  return count;
}

int EnumRasEntries(Platform& platform, std::vector<Text>& names) {
  RasError failure = kRasSuccess;
  return EnumRasEntries(platform, names, failure);
}

}  // namespace verolink::modRASVPN

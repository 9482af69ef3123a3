#include "listing_harness.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "byte_reader.h"
#include "doubles/fake_platform.h"
#include "phonebook/entry_listing.h"
#include "window/entry_exists.h"

namespace verolink::fuzzing {

namespace {

using modRASVPN::kEntryNameRecordSize;

// Larger listing blocks cannot be had, as when the platform's memory runs out.
constexpr std::size_t kLargestBlock = 64 * 1024;

// One listing call answered from the script.
RasError ScriptedListing(ByteReader& script, std::uint8_t* buffer, std::uint32_t& byteCount,
                         std::uint32_t& entryCount) {
  const std::uint8_t kind = script.U8();
  const RasError result = kind % 3 == 0   ? kRasSuccess
                          : kind % 3 == 1 ? kErrorBufferTooSmall
                                          : static_cast<RasError>(600 + kind);
  const std::uint32_t bytesIn = byteCount;
  byteCount = script.U32();
  entryCount = script.U32();
  const auto fill = script.Bytes(std::min<std::uint32_t>(script.U16(), bytesIn));
  std::copy(fill.begin(), fill.end(), buffer);
  return result;
}

// A fake platform whose listing plays the script.
struct ScriptedPlatform {
  explicit ScriptedPlatform(std::span<const std::uint8_t> data) : script(data) {
    fake.memory.largestBlock = kLargestBlock;
    fake.phonebook.enumOverride = [this](std::uint8_t* buffer, std::uint32_t& byteCount,
                                         std::uint32_t& entryCount) {
      return ScriptedListing(script, buffer, byteCount, entryCount);
    };
  }
  ScriptedPlatform(const ScriptedPlatform&) = delete;
  ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

  ByteReader script;
  testing::FakePlatform fake;
  Platform platform = fake.platform();
};

struct Run {
  explicit Run(std::span<const std::uint8_t> data) : scripted(data) {
    count = modRASVPN::EnumRasEntries(scripted.platform, names, failure);
  }
  ScriptedPlatform scripted;
  testing::FakePlatform& fake = scripted.fake;
  std::vector<Text> names;
  int count = 0;
  RasError failure = kRasSuccess;
};

std::string CheckListing(const Run& run) {
  const auto& calls = run.fake.phonebook.enumCalls;
  const auto& sizes = run.fake.memory.allocationSizes;
  if (calls.size() > 2 * modRASVPN::kListingAttempts) return "more listing calls than attempts";
  if (sizes.size() < calls.size()) return "a listing call without a block";
  for (std::size_t i = 0; i < sizes.size(); i += 2) {
    // Each attempt starts with the small block.
    if (sizes[i] != kEntryNameRecordSize) return "an attempt's first block is not 264 bytes";
  }
  for (std::size_t i = 0; i < calls.size(); ++i) {
    // Every block is listed into once, with its own size.
    if (calls[i].byteCountIn != sizes[i]) return "a call's byte count differs from its block";
    // A block too small for the size field holds only its first bytes.
    const bool holdsSize = calls[i].byteCountIn >= sizeof(std::uint32_t);
    if (holdsSize && calls[i].firstRecordSize != kEntryNameRecordSize) {
      return "record size field is not 264";
    }
  }
  if (run.fake.memory.Outstanding() != 0) return "a listing block was not released";
  if (run.count < 0) return "negative count";

  const bool failed = !run.fake.eventLog.errors.empty();
  if (run.fake.eventLog.errors.size() > 1) return "more than one event";
  if (failed && run.count != 0) return "a failed listing reported names";
  if (failed != (run.failure != kRasSuccess)) return "the failure is not told as it is logged";
  if (run.count == 0) {
    if (run.names.size() != modRASVPN::kInitialNameSlots) return "empty list is not 40 slots";
    for (const Text& name : run.names) {
      if (!name.empty()) return "empty list holds a name";
    }
    return {};
  }
  if (run.names.size() != static_cast<std::size_t>(run.count)) return "list not cut to count";
  for (const Text& name : run.names) {
    if (name.size() > 256) return "name longer than 256 characters";
  }
  return {};
}

}  // namespace

std::string RunListing(std::span<const std::uint8_t> data) {
  const Run run(data);
  if (std::string problem = CheckListing(run); !problem.empty()) return problem;
  if (run.count == 0) return {};

  // The same listing again, through the existence check, for the first and
  // the last name.
  for (const Text* name : {&run.names.front(), &run.names.back()}) {
    ScriptedPlatform again(data);
    if (!EntryExists(again.platform, *name)) return "a listed name does not exist";
    if (again.fake.memory.Outstanding() != 0) return "EntryExists kept a block";
  }
  return {};
}

}  // namespace verolink::fuzzing

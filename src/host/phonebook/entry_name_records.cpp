#include "host/phonebook/entry_name_records.h"

#include <cstring>

#include "host/phonebook/host_phonebook_errors.h"
#include "phonebook/entry_listing.h"

namespace verolink::host {

using modRASVPN::kEntryNameRecordSize;

bool IsValidEntryName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxEntryNameBytes &&
         name.find('\0') == std::string_view::npos;
}

RasError CheckListingBuffer(const std::uint8_t* buffer, std::uint32_t byteCount) {
  // The caller tells the record layout it expects in the first record's size.
  if (buffer == nullptr) return byteCount != 0 ? kErrorBufferInvalid : kRasSuccess;
  std::uint32_t recordSize = 0;
  if (byteCount < sizeof recordSize) return kErrorInvalidSize;
  std::memcpy(&recordSize, buffer, sizeof recordSize);
  return recordSize == kEntryNameRecordSize ? kRasSuccess : kErrorInvalidSize;
}

RasError FillEntryNameRecords(std::size_t count,
                              const std::function<std::string_view(std::size_t)>& nameAt,
                              std::uint8_t* buffer, std::uint32_t& byteCount,
                              std::uint32_t& entryCount) {
  const auto records = static_cast<std::uint32_t>(count);
  const std::uint32_t needed = records * kEntryNameRecordSize;
  entryCount = records;
  if (byteCount < needed) {
    byteCount = needed;
    return kErrorBufferTooSmall;
  }
  if (needed > 0) std::memset(buffer, 0, needed);
  for (std::uint32_t i = 0; i < records; ++i) {
    std::uint8_t* record = buffer + static_cast<std::size_t>(i) * kEntryNameRecordSize;
    std::memcpy(record, &kEntryNameRecordSize, sizeof kEntryNameRecordSize);
    const std::string_view name = nameAt(i);
    std::memcpy(record + sizeof kEntryNameRecordSize, name.data(), name.size());
  }
  return kRasSuccess;
}

}  // namespace verolink::host

#include "host/phonebook/host_phonebook_base.h"

#include <cstring>

#include "host/system/zero_ended_copy.h"
#include "phonebook/entry_listing.h"

namespace verolink::host {

using modRASVPN::kEntryNameRecordSize;

bool IsValidEntryName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxEntryNameBytes &&
         name.find('\0') == std::string_view::npos;
}

RasError HostPhonebookBase::QueryEntrySize(std::uint32_t& entrySize) {
  entrySize = entrySize_;
  return kErrorBufferTooSmall;
}

RasError HostPhonebookBase::EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                                        std::uint32_t& entryCount) {
  // The caller tells the record layout it expects in the first record's size.
  if (buffer == nullptr && byteCount != 0) return kErrorBufferInvalid;
  std::uint32_t recordSize = kEntryNameRecordSize;
  if (buffer != nullptr && byteCount < sizeof recordSize) return kErrorInvalidSize;
  if (buffer != nullptr) std::memcpy(&recordSize, buffer, sizeof recordSize);
  if (recordSize != kEntryNameRecordSize) return kErrorInvalidSize;
  std::vector<std::string> names;
  if (const RasError e = ListNames(names); e != kRasSuccess) return e;
  const auto records = static_cast<std::uint32_t>(names.size());
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
    std::memcpy(record + sizeof kEntryNameRecordSize, names[i].data(), names[i].size());
  }
  return kRasSuccess;
}

void HostPhonebookBase::GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) {
  CopyZeroEnded(codePage_.ToAnsi(ErrorText(code)), buffer, size);
}

}  // namespace verolink::host

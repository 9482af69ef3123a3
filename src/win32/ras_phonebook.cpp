#include "win32/ras_phonebook.h"

#include <algorithm>
#include <cstring>
#include <vector>

// RASDEVINFOA, the record of the device listing.
#include <ras.h>

namespace verolink::win32 {

namespace {

// The rasapi32 functions, declared with untyped entry buffers: the program
// lays out the entry image itself for the size the platform reports.
using GetEntryPropertiesA = DWORD(WINAPI*)(LPCSTR phonebook, LPCSTR entry, LPVOID entryBuffer,
                                           LPDWORD entrySize, LPBYTE deviceBuffer,
                                           LPDWORD deviceSize);
using SetEntryPropertiesA = DWORD(WINAPI*)(LPCSTR phonebook, LPCSTR entry, LPVOID entryBuffer,
                                           DWORD entrySize, LPBYTE deviceBuffer, DWORD deviceSize);
using EnumEntriesA = DWORD(WINAPI*)(LPCSTR reserved, LPCSTR phonebook, LPVOID names,
                                    LPDWORD byteCount, LPDWORD entryCount);
using DeleteEntryA = DWORD(WINAPI*)(LPCSTR phonebook, LPCSTR entry);
using GetErrorStringA = DWORD(WINAPI*)(UINT code, LPSTR buffer, DWORD size);
using EnumDevicesA = DWORD(WINAPI*)(LPRASDEVINFOA devices, LPDWORD byteCount, LPDWORD deviceCount);

// A size field, a 17-byte type and a 129-byte name, padded to four bytes: the
// same 152 bytes for 32-bit and 64-bit programs, since the record holds no
// pointer. The phonebook knows the record by this size.
using DeviceRecord = RASDEVINFOA;  // a macro for "struct tagRASDEVINFOA"
static_assert(sizeof(DeviceRecord) == 152);

// How often the listing is asked again when the devices outgrow the room the
// phonebook asked for a moment before.
constexpr int kDeviceListingAttempts = 3;

std::string FieldText(const char* field, std::size_t width) {
  return std::string(field, strnlen(field, width));
}

}  // namespace

Rasapi32Phonebook::Rasapi32Phonebook() : library_("rasapi32.dll") {}

template <class F>
F Rasapi32Phonebook::Function(const char* name, RasError& missing) const {
  missing = library_.Loaded() ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND;
  return library_.Function<F>(name);
}

RasError Rasapi32Phonebook::QueryEntrySize(std::uint32_t& entrySize) {
  RasError missing = 0;
  auto get = Function<GetEntryPropertiesA>("RasGetEntryPropertiesA", missing);
  if (get == nullptr) return missing;
  DWORD size = entrySize;
  const DWORD result = get(nullptr, nullptr, nullptr, &size, nullptr, nullptr);
  entrySize = size;
  return static_cast<RasError>(result);
}

RasError Rasapi32Phonebook::SetEntryProperties(const std::optional<std::string>& phonebook,
                                               const std::string& entryName,
                                               std::span<const std::uint8_t> image,
                                               std::uint32_t entrySize) {
  RasError missing = 0;
  auto set = Function<SetEntryPropertiesA>("RasSetEntryPropertiesA", missing);
  if (set == nullptr) return missing;
  // The function takes a writable buffer; hand it a copy of the image.
  std::vector<std::uint8_t> buffer(image.begin(), image.end());
  const DWORD result = set(phonebook ? phonebook->c_str() : nullptr, entryName.c_str(),
                           buffer.data(), entrySize, nullptr, 0);
  return static_cast<RasError>(result);
}

RasError Rasapi32Phonebook::EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                                        std::uint32_t& entryCount) {
  RasError missing = 0;
  auto enumerate = Function<EnumEntriesA>("RasEnumEntriesA", missing);
  if (enumerate == nullptr) return missing;
  DWORD bytes = byteCount;
  DWORD count = entryCount;
  const DWORD result = enumerate(nullptr, nullptr, buffer, &bytes, &count);
  byteCount = bytes;
  entryCount = count;
  return static_cast<RasError>(result);
}

RasError Rasapi32Phonebook::DeleteEntry(const std::string& entryName) {
  RasError missing = 0;
  auto remove = Function<DeleteEntryA>("RasDeleteEntryA", missing);
  if (remove == nullptr) return missing;
  return static_cast<RasError>(remove(nullptr, entryName.c_str()));
}

void Rasapi32Phonebook::GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) {
  RasError missing = 0;
  auto text = Function<GetErrorStringA>("RasGetErrorStringA", missing);
  if (text != nullptr) text(code, buffer, size);  // without it the buffer stays empty
}

RasError Rasapi32Phonebook::EnumDevices(std::vector<RasDevice>& devices) {
  devices.clear();
  RasError missing = 0;
  auto enumerate = Function<EnumDevicesA>("RasEnumDevicesA", missing);
  if (enumerate == nullptr) return missing;
  // Room for one record first, then for as many bytes as the phonebook asks.
  std::vector<DeviceRecord> records(1);
  for (int attempt = 0; attempt < kDeviceListingAttempts; ++attempt) {
    records.front().dwSize = sizeof(DeviceRecord);
    DWORD bytes = static_cast<DWORD>(records.size() * sizeof(DeviceRecord));
    DWORD count = 0;
    const DWORD result = enumerate(records.data(), &bytes, &count);
    if (result == static_cast<DWORD>(kErrorBufferTooSmall) &&
        bytes > records.size() * sizeof(DeviceRecord)) {
      records.assign((bytes + sizeof(DeviceRecord) - 1) / sizeof(DeviceRecord), DeviceRecord{});
      continue;
    }
    if (result != 0) return static_cast<RasError>(result);
    count = std::min<DWORD>(count, static_cast<DWORD>(records.size()));
    for (DWORD i = 0; i < count; ++i) {
      const DeviceRecord& record = records[i];
      devices.push_back({FieldText(record.szDeviceType, sizeof record.szDeviceType),
                         FieldText(record.szDeviceName, sizeof record.szDeviceName)});
    }
    return kRasSuccess;
  }
  return kErrorBufferTooSmall;
}

}  // namespace verolink::win32

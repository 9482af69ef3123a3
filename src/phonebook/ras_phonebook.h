#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace verolink {

// The 32-bit result of a phonebook operation, held signed; 0 is success.
using RasError = std::int32_t;
inline constexpr RasError kRasSuccess = 0;
inline constexpr RasError kErrorBufferTooSmall = 603;
inline constexpr RasError kErrorInvalidSize = 632;

// Numbers up to this one are general system errors; above it they belong to
// the phonebook, which supplies their texts itself.
inline constexpr RasError kRasErrorBase = 600;

// A device the phonebook can connect through, as RasEnumDevicesA lists it:
// its type ("PPPoE", "modem", ...) and its name, single-byte text in the
// system code page.
struct RasDevice {
  std::string type;
  std::string name;
};

// The five Remote Access phonebook operations the program calls, and the
// device listing. Text goes in as single-byte text in the system code page;
// no phonebook file is named by the program's own calls (std::nullopt = the
// default phonebook).
class RasPhonebook {
 public:
  virtual ~RasPhonebook() = default;

  // RasGetEntryPropertiesA(null, null, null, &entrySize, null, null): expected
  // to return 603 and set entrySize to the size of the platform's RASENTRYA.
  virtual RasError QueryEntrySize(std::uint32_t& entrySize) = 0;

  // RasSetEntryPropertiesA(phonebook, entryName, image, entrySize, null, 0).
  // `image` is the whole image, appended alternate numbers included; entrySize
  // is the structure's size without them.
  virtual RasError SetEntryProperties(const std::optional<std::string>& phonebook,
                                      const std::string& entryName,
                                      std::span<const std::uint8_t> image,
                                      std::uint32_t entrySize) = 0;

  // RasEnumEntriesA(null, null, buffer, &byteCount, &entryCount). The buffer
  // holds byteCount bytes; on 603 byteCount is set to the size needed.
  virtual RasError EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                               std::uint32_t& entryCount) = 0;

  // RasDeleteEntryA(null, entryName).
  virtual RasError DeleteEntry(const std::string& entryName) = 0;

  // RasGetErrorStringA(code, buffer, size): fills buffer with the text of a
  // phonebook error (code above 600), ended by a zero byte.
  virtual void GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) = 0;

  // RasEnumDevicesA: fills `devices` with the devices the phonebook can use,
  // in its order, and returns 0; on failure returns the error number and
  // leaves `devices` empty. A phonebook without devices of its own lists none.
  virtual RasError EnumDevices(std::vector<RasDevice>& devices) {
    devices.clear();
    return kRasSuccess;
  }
};

}  // namespace verolink

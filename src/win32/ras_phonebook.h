#pragma once

#include "phonebook/ras_phonebook.h"
#include "win32/dynamic_library.h"

namespace verolink::win32 {

// The Remote Access phonebook of rasapi32.dll, loaded at run time: a missing
// library or function is answered with the system error number for it
// (ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND), which the program shows as text.
class Rasapi32Phonebook : public RasPhonebook {
 public:
  Rasapi32Phonebook();

  RasError QueryEntrySize(std::uint32_t& entrySize) override;
  RasError SetEntryProperties(const std::optional<std::string>& phonebook,
                              const std::string& entryName, std::span<const std::uint8_t> image,
                              std::uint32_t entrySize) override;
  RasError EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                       std::uint32_t& entryCount) override;
  RasError DeleteEntry(const std::string& entryName) override;
  void GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) override;
  RasError EnumDevices(std::vector<RasDevice>& devices) override;

 private:
  template <class F>
  F Function(const char* name, RasError& missing) const;

  DynamicLibrary library_;
};

}  // namespace verolink::win32

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The longest name a listing record holds: its 257-byte field, ended by a zero.
inline constexpr std::size_t kMaxEntryNameBytes = 256;

// Whether a listing can carry this single-byte name: 1 to 256 bytes, no zero
// byte.
bool IsValidEntryName(std::string_view name);

// What the host phonebooks answer alike, wherever they keep their entries.
class HostPhonebookBase : public RasPhonebook {
 public:
  // Returns 603 and the entry size the phonebook was made with.
  RasError QueryEntrySize(std::uint32_t& entrySize) override;
  // Checks the buffer as the platform does: 610 for a missing buffer with a
  // byte count, 632 when the first record's size field is not 264. Then one
  // 264-byte record for each of ListNames' names, with entryCount set: 603
  // and the byte count needed when the buffer is too small, else 0.
  // ListNames' errors come back as they are.
  RasError EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                       std::uint32_t& entryCount) final;
  // The text of ErrorText in the code page, cut to fit.
  void GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) final;

 protected:
  // `entrySize` is the size reported for the platform's entry structure;
  // `codePage` is the system code page of the texts handed in.
  HostPhonebookBase(std::uint32_t entrySize, const CodePage& codePage)
      : entrySize_(entrySize), codePage_(codePage) {}

  // The names of the entries (single-byte, valid), in the phonebook's
  // order; 0, or the phonebook's error number.
  virtual RasError ListNames(std::vector<std::string>& names) = 0;
  // The text of an error number: PhonebookErrorText's (host_phonebook_errors.h).
  virtual Text ErrorText(std::uint32_t code) const { return PhonebookErrorText(code); }

  std::uint32_t entrySize_;
  const CodePage& codePage_;
};

}  // namespace verolink::host

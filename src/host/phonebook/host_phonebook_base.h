#pragma once

#include <cstdint>

#include "common/code_page.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/system/zero_ended_copy.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// What the host phonebooks answer alike, wherever they keep their entries.
class HostPhonebookBase : public RasPhonebook {
 public:
  // Returns 603 and the entry size the phonebook was made with.
  RasError QueryEntrySize(std::uint32_t& entrySize) override {
    entrySize = entrySize_;
    return kErrorBufferTooSmall;
  }
  // The text of host_phonebook_errors.h in the code page, cut to fit.
  void GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) override {
    CopyZeroEnded(codePage_.ToAnsi(PhonebookErrorText(code)), buffer, size);
  }

 protected:
  // `entrySize` is the size reported for the platform's entry structure;
  // `codePage` is the system code page of the texts handed in.
  HostPhonebookBase(std::uint32_t entrySize, const CodePage& codePage)
      : entrySize_(entrySize), codePage_(codePage) {}

  std::uint32_t entrySize_;
  const CodePage& codePage_;
};

}  // namespace verolink::host

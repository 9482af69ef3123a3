#include "host/phonebook/host_phonebook_base.h"

#include "host/phonebook/host_phonebook_errors.h"
#include "host/system/zero_ended_copy.h"

namespace verolink::host {

RasError HostPhonebookBase::QueryEntrySize(std::uint32_t& entrySize) {
  entrySize = entrySize_;
  return kErrorBufferTooSmall;
}

void HostPhonebookBase::GetErrorString(std::uint32_t code, char* buffer, std::uint32_t size) {
  CopyZeroEnded(codePage_.ToAnsi(PhonebookErrorText(code)), buffer, size);
}

}  // namespace verolink::host

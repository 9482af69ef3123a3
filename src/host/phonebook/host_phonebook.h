// Host phonebooks: the Remote Access phonebook operations on Linux, kept in a
// phonebook file of our own or as NetworkManager connections, and their choice.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "host/phonebook/host_phonebook_base.h"
#include "host/phonebook/phonebook_file.h"
#include "host/phonebook/phonebook_keyfile.h"
#include "phonebook/ras_entry_record.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The Remote Access phonebook on a system without one: entries live in a
// readable key file (phonebook_keyfile.h), shared safely between processes
// (phonebook_file.h) and read afresh by every call. A damaged or unreadable
// file is reported by its error number and never written over. The error
// numbers are those of host_phonebook_errors.h. One caller at a time, as on
// the platform.
class HostPhonebook : public HostPhonebookBase {
 public:
  // `entrySize` is the size reported for the platform's entry structure;
  // `codePage` is the system code page of the texts handed in.
  HostPhonebook(std::string path, std::uint32_t entrySize, const CodePage& codePage,
                PhonebookWriteHooks hooks = {});

  // The phonebook and entry size the environment names (phonebook_location.h).
  static HostPhonebook FromEnvironment(const CodePage& codePage);

  // Writes the entry in place of the one of its name, or after the others.
  // A named phonebook is taken as the path of a phonebook file. 604 for a
  // name the file cannot hold (phonebook_keyfile.h), 632 or 610 for an image
  // ReadEntryImage refuses; then nothing is written.
  RasError SetEntryProperties(const std::optional<std::string>& phonebook,
                              const std::string& entryName, std::span<const std::uint8_t> image,
                              std::uint32_t entrySize) override;
  // 623 when there is no entry of that name.
  RasError DeleteEntry(const std::string& entryName) override;

  // The stored record of an entry (its name single-byte); 623 when there is
  // none, or the read errors.
  RasError ReadEntry(const std::string& entryName, RasEntryRecord& record) const;

  const std::string& path() const { return path_; }

 private:
  // The names in the file's order.
  RasError ListNames(std::vector<std::string>& names) override;
  // Reads the file and hands its entries to `take` (ReadPhonebook).
  RasError ReadEntries(const std::function<void(PhonebookEntry&)>& take) const;

  std::string path_;
  PhonebookWriteHooks hooks_;
};

}  // namespace verolink::host

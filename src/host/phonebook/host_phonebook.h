// Host phonebooks: the Remote Access phonebook operations on Linux, kept in a
// phonebook file of our own or as NetworkManager keyfiles, and their choice.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/code_page.h"
#include "host/phonebook/cached_phonebook_file.h"
#include "host/phonebook/host_phonebook_base.h"
#include "host/phonebook/phonebook_file_format.h"
#include "host/phonebook/phonebook_file_store.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The Remote Access phonebook on a system without one: entries live in a
// readable text file (see phonebook_file_format.h), shared safely between
// processes (see phonebook_file_store.h), its checked text kept between
// calls for as long as the file is sure to be unchanged (see
// cached_phonebook_file.h). A damaged or unreadable file is reported by its
// error number and never written over. The error numbers are those of
// host_phonebook_errors.h. One caller at a time, as on the platform.
class HostPhonebook : public HostPhonebookBase {
 public:
  // `entrySize` is the size reported for the platform's entry structure;
  // `codePage` is the system code page of the texts handed in.
  HostPhonebook(std::string path, std::uint32_t entrySize, const CodePage& codePage,
                PhonebookWriteHooks hooks = {});

  // The phonebook and entry size the environment names (phonebook_location.h).
  static HostPhonebook FromEnvironment(const CodePage& codePage);

  // A named phonebook is taken as the path of a phonebook file.
  RasError SetEntryProperties(const std::optional<std::string>& phonebook,
                              const std::string& entryName, std::span<const std::uint8_t> image,
                              std::uint32_t entrySize) override;
  RasError EnumEntries(std::uint8_t* buffer, std::uint32_t& byteCount,
                       std::uint32_t& entryCount) override;
  RasError DeleteEntry(const std::string& entryName) override;

  // The stored fields of an entry (texts single-byte); 623 when there is none.
  RasError ReadEntry(const std::string& entryName, PhonebookSection& section) const;
  // The entry's section as the file shows it, in UTF-8.
  RasError ShowEntry(const std::string& entryName, std::string& sectionText) const;

  const std::string& path() const { return file_.path(); }

 private:
  PhonebookWriteHooks hooks_;
  CachedPhonebookFile file_;
};

}  // namespace verolink::host

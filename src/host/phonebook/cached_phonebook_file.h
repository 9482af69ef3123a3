#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "host/phonebook/ansi_text_escaping.h"
#include "host/phonebook/file_version.h"
#include "host/phonebook/phonebook_file_format.h"
#include "host/phonebook/phonebook_file_store.h"
#include "host/phonebook/phonebook_file_text.h"

namespace verolink::host {

// The phonebook file through its store (phonebook_file_store.h), with its
// checked text kept between calls. Every call still opens the file under the
// lock and looks at its version; the kept text is used as it is only when the
// version is the one it was read as and settled (file_version.h: any change
// since would show). Otherwise the file is read again: when it holds the kept
// text byte for byte, that text stands, else it is checked afresh. A file
// that has become damaged is therefore always seen, and reported.
class CachedPhonebookFile {
 public:
  CachedPhonebookFile(std::string path, const CodePage& codePage, PhonebookWriteHooks hooks = {});

  // The file's checked text, valid until the next call; 621 or 625 as the
  // store and the format say.
  RasError Read(const PhonebookFileText*& text) const;
  // Puts the section in place of the one of its name, or at the end.
  RasError Put(const PhonebookSection& section);
  // Removes the section of that name; 623 when there is none.
  RasError Remove(std::string_view name);

  const AnsiTextEscaping& escaping() const { return escaping_; }
  const std::string& path() const { return store_.path(); }

 private:
  using Change = std::function<RasError(const PhonebookFileText& current, PhonebookFileText& next)>;
  RasError Update(const Change& change);
  // The locked file's checked text, the kept one when it is still the file's.
  RasError Current(const LockedFile& file, const PhonebookFileText*& text) const;

  struct Kept {
    FileVersion version;
    bool settled = false;
    PhonebookFileText text;
  };

  PhonebookFileStore store_;
  AnsiTextEscaping escaping_;
  // Filled by reads too, which are const to their callers. The phonebook has
  // one caller at a time (the program's one thread), so no lock guards it.
  mutable std::optional<Kept> kept_;
};

}  // namespace verolink::host

#include "host/phonebook/cached_phonebook_file.h"

#include <utility>

#include "host/phonebook/host_phonebook_errors.h"

namespace verolink::host {

CachedPhonebookFile::CachedPhonebookFile(std::string path, const CodePage& codePage,
                                         PhonebookWriteHooks hooks)
    : store_(std::move(path), std::move(hooks)), escaping_(codePage) {}

RasError CachedPhonebookFile::Read(const PhonebookFileText*& text) const {
  return store_.Read([&](const LockedFile& file) { return Current(file, text); });
}

RasError CachedPhonebookFile::Put(const PhonebookSection& section) {
  return Update([&](const PhonebookFileText& current, PhonebookFileText& next) {
    next = current.WithSection(section, escaping_);
    return kRasSuccess;
  });
}

RasError CachedPhonebookFile::Remove(std::string_view name) {
  return Update([&](const PhonebookFileText& current, PhonebookFileText& next) {
    if (current.Find(name) == nullptr) return kErrorCannotFindPhonebookEntry;
    next = current.WithoutSection(name, escaping_);
    return kRasSuccess;
  });
}

RasError CachedPhonebookFile::Update(const Change& change) {
  PhonebookFileText next;
  bool replacing = false;
  FileVersion written;
  const RasError result = store_.Update(
      [&](const LockedFile& file, std::string_view& text) {
        const PhonebookFileText* current = nullptr;
        if (const RasError e = Current(file, current); e != kRasSuccess) return e;
        if (const RasError e = change(*current, next); e != kRasSuccess) return e;
        text = next.text();
        replacing = true;
        return kRasSuccess;
      },
      written);
  if (result != kRasSuccess) {
    // A refused change leaves the file as it was; a failed replace may not.
    if (replacing) kept_.reset();
    return result;
  }
  // The file now holds what was written, unless someone wrote into it right
  // after the rename, within the same clock tick: the next call reads it
  // once to make sure.
  kept_ = Kept{written, false, std::move(next)};
  return kRasSuccess;
}

RasError CachedPhonebookFile::Current(const LockedFile& file,
                                      const PhonebookFileText*& text) const {
  const FileVersion& version = file.version();
  if (kept_ && kept_->version.exists == version.exists && kept_->version.size == version.size) {
    if (kept_->settled && kept_->version == version) {
      text = &kept_->text;
      return kRasSuccess;
    }
    bool same = false;
    if (const RasError e = file.Holds(kept_->text.text(), same); e != kRasSuccess) {
      kept_.reset();
      return e;
    }
    if (same) {
      kept_->version = version;
      kept_->settled = file.settled();
      text = &kept_->text;
      return kRasSuccess;
    }
  }
  kept_.reset();
  std::string read;
  if (const RasError e = file.ReadText(read); e != kRasSuccess) return e;
  PhonebookFileText checked;
  if (const RasError e = PhonebookFileText::Read(std::move(read), escaping_, checked);
      e != kRasSuccess) {
    return e;
  }
  kept_ = Kept{version, file.settled(), std::move(checked)};
  text = &kept_->text;
  return kRasSuccess;
}

}  // namespace verolink::host

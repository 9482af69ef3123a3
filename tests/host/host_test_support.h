#pragma once

// Helpers for the host layer's tests: temporary folders, child processes and
// entry images built straight from the layout constants.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/phonebook/host_phonebook.h"
#include "host/system/host_code_page.h"

namespace verolink::host::testing {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets (or, with nullopt, unsets) an environment variable for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value);
  ~ScopedVariable();
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

std::optional<std::string> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
bool Exists(const std::string& path);
// Names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);
// Writes an executable shell script, a stand-in for a desktop helper program.
void WriteScript(const std::string& path, const std::string& body);

// Starts `body` in a forked child, which exits with its result.
int StartChild(const std::function<int()>& body);
// Waits for a started child: its exit code, or 128 + the signal that ended it.
int WaitChild(int pid);
int RunInChild(const std::function<int()>& body);
// The same in a child that has given up root's rights (as user nobody), so
// that file permissions apply to it.
int RunWithoutRoot(const std::function<int()>& body);

// The Windows-1251 code page every phonebook test uses.
const HostCodePage& Cp1251();

// An entry image for `entrySize` in the platform's layout: the PPPoE values,
// and distinct non-zero values in the other members so that a member read
// from the wrong place shows. `alternates` is appended when not empty.
std::vector<std::uint8_t> PppoeLikeImage(std::uint32_t entrySize,
                                         const std::string& alternates = std::string());

// Writes the entry and expects success.
void PutEntry(HostPhonebook& phonebook, const std::string& name, std::uint32_t entrySize = 2884);

// The entry names as the listing gives them (asks twice when told to).
RasError ListNames(RasPhonebook& phonebook, std::vector<std::string>& names);
// The same, expecting the listing to succeed.
std::vector<std::string> ListedNames(RasPhonebook& phonebook);

// The text with its first `from` replaced by `to`; throws when there is none.
std::string Replaced(std::string text, const std::string& from, const std::string& to);

// A phonebook file holding the entries "first" and "second", and its text.
class TwoEntryPhonebook : public ::testing::Test {
 protected:
  void SetUp() override;

  TempFolder folder;
  const std::string path = folder / "phonebook.pbk";
  HostPhonebook phonebook{path, 2884, Cp1251()};
  std::string original;
};

}  // namespace verolink::host::testing

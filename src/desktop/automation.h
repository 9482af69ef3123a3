#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/code_page.h"
#include "common/text.h"

namespace verolink {

// Raised by an automation object (or its creation) when a member fails, as a
// late-bound call raises a run-time error.
class AutomationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Shell folder numbers used with NameSpace.
inline constexpr std::int16_t kCsidlDesktop = 0;
inline constexpr std::int16_t kCsidlConnections = 49;

// An item of a shell folder (FolderItem).
class ShellItem {
 public:
  virtual ~ShellItem() = default;
  virtual Text Name() = 0;
};

// The walk over a folder's Items, in the shell's order.
class ShellItems {
 public:
  virtual ~ShellItems() = default;
  // The next item, or nullptr after the last one.
  virtual std::unique_ptr<ShellItem> Next() = 0;
};

// A shell folder (Folder).
class ShellFolder {
 public:
  virtual ~ShellFolder() = default;
  virtual std::unique_ptr<ShellItems> Items() = 0;
  // Copies the item into this folder; for a connection copied onto the desktop
  // the shell makes a shortcut to it.
  virtual void CopyHere(ShellItem& item) = 0;
};

// The shell's automation object "Shell.Application".
class ShellApplication {
 public:
  virtual ~ShellApplication() = default;
  // The folder with that number, or nullptr when there is none.
  virtual std::unique_ptr<ShellFolder> NameSpace(std::int16_t folder) = 0;
};

// The script host's object "WScript.Shell".
class ScriptHost {
 public:
  virtual ~ScriptHost() = default;
  // SpecialFolders("Desktop") and the like: a folder's path, possibly empty.
  virtual Text SpecialFolders(const Text& name) = 0;
};

// Creates the two automation objects by their programmatic identifiers; each
// creation raises AutomationError when the object cannot be had.
class AutomationObjects {
 public:
  virtual ~AutomationObjects() = default;
  virtual std::unique_ptr<ShellApplication> CreateShellApplication() = 0;
  virtual std::unique_ptr<ScriptHost> CreateScriptHost() = 0;
};

// File deletion (DeleteFileA) and the platform's path separator.
class FileDeletion {
 public:
  virtual ~FileDeletion() = default;
  // Deletes the file at the single-byte path; whether it worked is not told.
  virtual void DeleteFile(const std::string& ansiPath) = 0;
  // Deletes the file at `path`; whether it worked is not told. By default the
  // path goes to DeleteFile in `codePage`; a system whose file names are
  // UTF-16 takes the path as it is, so that no character of it is lost.
  virtual void DeleteFileAt(const Text& path, const CodePage& codePage) {
    DeleteFile(codePage.ToAnsi(path));
  }
  virtual char16_t PathSeparator() const = 0;
};

}  // namespace verolink

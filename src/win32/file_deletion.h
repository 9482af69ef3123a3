#pragma once

#include "desktop/automation.h"

namespace verolink::win32 {

// DeleteFileA for single-byte paths; DeleteFileW for the program's own paths,
// which keeps a desktop folder whose name the ANSI code page cannot hold (a
// Cyrillic user name on a system of another language). Windows paths use '\'.
class Win32FileDeletion : public FileDeletion {
 public:
  void DeleteFile(const std::string& ansiPath) override;
  void DeleteFileAt(const Text& path, const CodePage& codePage) override;
  char16_t PathSeparator() const override { return u'\\'; }
};

}  // namespace verolink::win32

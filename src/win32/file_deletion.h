#pragma once

#include "desktop/automation.h"

namespace verolink::win32 {

// DeleteFileA; Windows paths use '\'.
class Win32FileDeletion : public FileDeletion {
 public:
  void DeleteFile(const std::string& ansiPath) override;
  char16_t PathSeparator() const override { return u'\\'; }
};

}  // namespace verolink::win32

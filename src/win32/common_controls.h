#pragma once

#include "win32/dynamic_library.h"
#include "window/ui_services.h"

namespace verolink::win32 {

// InitCommonControlsEx of comctl32.dll (version 6 under the program's
// manifest); raises PlatformError when the library or the function is missing.
class Comctl32Controls : public CommonControls {
 public:
  Comctl32Controls() : comctl32_("comctl32.dll", LibrarySource::kManifestAssembly) {}
  void InitCommonControlsEx(std::uint32_t recordSize, std::uint32_t classes) override;

 private:
  DynamicLibrary comctl32_;
};

}  // namespace verolink::win32

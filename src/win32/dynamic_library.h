#pragma once

#include <string>

#include "win32/system_folder.h"
#include "win32/windows_api.h"
#include "window/ui_services.h"

namespace verolink::win32 {

// A system library loaded by name at run time from the system folder only (so
// that a file of that name beside the program is never taken), and so that a
// missing library or function becomes an answer the caller can handle instead
// of a failed start.
// The library stays loaded for the life of the process: the functions taken
// from it (and the window classes it registers) must outlive every caller.
class DynamicLibrary {
 public:
  explicit DynamicLibrary(const char* name, LibrarySource source = LibrarySource::kSystemFolder)
      : module_(LoadSystemLibrary(name, source)) {}
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  bool Loaded() const { return module_ != nullptr; }

  // The exported function with that name as type F, or nullptr.
  template <class F>
  F Function(const char* name) const {
    if (module_ == nullptr) return nullptr;
    FARPROC proc = GetProcAddress(module_, name);
    return reinterpret_cast<F>(reinterpret_cast<void*>(proc));
  }

  // The same, raising PlatformError when the library or the function is missing.
  template <class F>
  F Require(const char* name, const char* library) const {
    F function = Function<F>(name);
    if (function == nullptr)
      throw PlatformError(std::string(name) + " of " + library + " is missing");
    return function;
  }

 private:
  HMODULE module_;
};

}  // namespace verolink::win32

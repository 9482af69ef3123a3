#pragma once

#include "desktop/automation.h"

namespace verolink::win32 {

// "Shell.Application" and "WScript.Shell" through COM late binding. COM must
// be initialised on the calling thread (see ComApartment).
class ComAutomationObjects : public AutomationObjects {
 public:
  std::unique_ptr<ShellApplication> CreateShellApplication() override;
  std::unique_ptr<ScriptHost> CreateScriptHost() override;
};

// CoInitialize for the life of the object: the program's one apartment.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

}  // namespace verolink::win32

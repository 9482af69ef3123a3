#pragma once

#include <memory>

#include "start/platform.h"
#include "window/main_form.h"

namespace verolink {

// What start-up asks of the toolkit: a screen window for the form, made once
// the form object exists, and shown (not modally, without an owner) once the
// form has loaded its texts.
class MainWindowShell {
 public:
  virtual ~MainWindowShell() = default;
  virtual void Create(ОсновнаяФорма& form) = 0;
  virtual void Show(ОсновнаяФорма& form) = 0;
};

namespace basMain {

// The program's entry: fills the built-in profile, creates the main window
// (initialisation: visual styles), loads it (captions, cursor, tool tip) and
// shows it. From then on the program runs in the window's event handlers;
// the returned form lives as long as the window.
std::unique_ptr<ОсновнаяФорма> Main(Platform& platform, MainWindowShell& shell);

}  // namespace basMain

}  // namespace verolink

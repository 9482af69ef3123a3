#pragma once

#include "common/text.h"

namespace verolink {

// What the window shows while the program waits, past the usual time, for
// an answer that the user may stop waiting for. The waiting side keeps the
// window's events running and asks GaveUp after each of them.
class WaitView {
 public:
  virtual ~WaitView() = default;
  // Shows `text` with a way to stop waiting, until HideWaiting.
  virtual void ShowWaiting(const Text& text) = 0;
  // Whether the user has chosen to stop waiting since ShowWaiting; choosing
  // it is a window event, which ends the waiting side's current turn.
  virtual bool GaveUp() = 0;
  virtual void HideWaiting() = 0;
};

}  // namespace verolink

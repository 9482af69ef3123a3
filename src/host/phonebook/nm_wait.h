#pragma once

#include <chrono>

#include "common/text.h"

typedef struct _GSource GSource;

namespace verolink::host {

// What the window shows while a change NetworkManager has not answered in the
// usual time is still awaited. The phonebook waits on the thread's default
// main context, the one the window's toolkit runs, so the window keeps
// drawing; after each event it asks whether the user has stopped waiting.
class NmWaitView {
 public:
  virtual ~NmWaitView() = default;
  // Shows `text` with a way to stop waiting, until HideWaiting.
  virtual void ShowWaiting(const Text& text) = 0;
  // Whether the user has chosen to stop waiting since ShowWaiting. Choosing
  // it must wake the main context (any event of the window's does).
  virtual bool GaveUp() = 0;
  virtual void HideWaiting() = 0;
};

// The wait where no window shows it: it gives up after `patience`, telling
// standard error what it waits for.
class PatientWait : public NmWaitView {
 public:
  explicit PatientWait(std::chrono::milliseconds patience) : patience_(patience) {}
  ~PatientWait() override { HideWaiting(); }
  void ShowWaiting(const Text& text) override;
  bool GaveUp() override { return late_; }
  void HideWaiting() override;

 private:
  std::chrono::milliseconds patience_;
  GSource* timer_ = nullptr;
  bool late_ = false;
};

}  // namespace verolink::host

#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "connect/connect_engine.h"

namespace verolink::connect {

// The connect window as lines of text, until it is drawn: each step and the
// result written to `out`; the password read as a line from `in` (where it
// can be remembered, a second line "remember" ticks the box); once
// connected, a line "disconnect" ends the connection. `done(status)` runs
// when nothing more can happen: 0 connected or disconnected, 1 failed.
class TextConnectView : public ConnectView {
 public:
  TextConnectView(std::istream& in, std::ostream& out, std::function<void(int)> done);
  void Attach(ConnectEngine& engine) { engine_ = &engine; }
  void ShowProgress(Step step) override;
  void AskPassword(bool canRemember) override;
  void ShowConnected(const std::string& address) override;
  void ShowFailure(const FailureText& text, bool askPassword) override;
  void ShowDisconnected() override;
  void ShowNotice(const std::string& text) override;

 private:
  std::string ReadLine();
  std::istream& in_;
  std::ostream& out_;
  std::function<void(int)> done_;
  ConnectEngine* engine_ = nullptr;
};

}  // namespace verolink::connect

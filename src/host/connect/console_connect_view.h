#pragma once

#include <functional>
#include <string>

#include "connect/connect_engine.h"

namespace verolink::host {

// The connect window as lines of text, until the window is drawn: each step
// and the result on standard output; the password read as a line from
// standard input (a second line "remember" ticks the box), then a line
// "disconnect" ends the connection. `done(status)` runs when nothing more
// can happen.
class ConsoleConnectView : public connect::ConnectView {
 public:
  ConsoleConnectView(connect::ConnectEngine*& engine, std::function<void(int)> done);
  void ShowProgress(connect::Step step) override;
  void AskPassword(bool canRemember) override;
  void ShowConnected(const std::string& address) override;
  void ShowFailure(const connect::FailureText& text, bool askPassword) override;
  void ShowDisconnected() override;
  void ShowNotice(const std::string& text) override;

 private:
  void Later(std::function<void()> step);
  connect::ConnectEngine*& engine_;
  std::function<void(int)> done_;
  bool asked_ = false;
};

}  // namespace verolink::host

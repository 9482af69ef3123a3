#include "connect/connect_screen.h"

#include <utility>

namespace verolink::connect {

ScreenConnectView::ScreenConnectView(std::function<void(const ConnectScreen&)> render)
    : render_(std::move(render)) {}

void ScreenConnectView::Press(const std::string& password, bool remember) {
  if (engine_ == nullptr || !screen_.canConnect) return;
  const bool asked = screen_.askPassword;
  Busy();
  if (asked) return engine_->Connect(password, remember);
  engine_->Start();
}

void ScreenConnectView::PressDisconnect() {
  if (engine_ == nullptr || !screen_.canDisconnect) return;
  Busy();
  engine_->Disconnect();
}

// Nothing to press while the engine works.
void ScreenConnectView::Busy() {
  screen_.askPassword = screen_.canRemember = screen_.canConnect = screen_.canDisconnect = false;
  screen_.advice.clear();
  render_(screen_);
}

void ScreenConnectView::ShowProgress(Step step) {
  screen_.status = StepText(step);
  screen_.advice.clear();
  render_(screen_);
}

void ScreenConnectView::AskPassword(bool canRemember) {
  // Nothing runs while it asks.
  screen_.status.clear();
  screen_.askPassword = screen_.canConnect = true;
  screen_.canRemember = canRemember;
  render_(screen_);
}

void ScreenConnectView::ShowConnected(const std::string& address) {
  screen_.status = std::string(kConnectedText) + (address.empty() ? "" : ", адрес " + address);
  screen_.advice.clear();
  screen_.canDisconnect = true;
  render_(screen_);
}

void ScreenConnectView::ShowFailure(const FailureText& text, bool askPassword) {
  screen_.status = text.reason;
  screen_.advice = text.advice;
  screen_.askPassword = askPassword;
  screen_.canRemember = askPassword && screen_.notice != kCannotRememberText;
  // Without an engine (no connection to dial) there is nothing to try again.
  screen_.canConnect = engine_ != nullptr;
  screen_.canDisconnect = false;
  render_(screen_);
}

void ScreenConnectView::ShowDisconnected() {
  screen_.status = kDisconnectedText;
  screen_.canConnect = true;
  screen_.canDisconnect = false;
  render_(screen_);
}

void ScreenConnectView::ShowNotice(const std::string& text) {
  screen_.notice = text;
  render_(screen_);
}

}  // namespace verolink::connect

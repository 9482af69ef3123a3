#include "connect/text_connect_view.h"

#include <istream>
#include <ostream>

namespace verolink::connect {

TextConnectView::TextConnectView(std::istream& in, std::ostream& out, std::function<void(int)> done)
    : in_(in), out_(out), done_(std::move(done)) {}

std::string TextConnectView::ReadLine() {
  std::string line;
  if (!std::getline(in_, line)) return {};
  return line;
}

void TextConnectView::ShowProgress(Step step) { out_ << StepText(step) << std::endl; }

// The engine has done all it does before it asks, so it is answered at once.
void TextConnectView::AskPassword(bool canRemember) {
  out_ << "Пароль:" << (canRemember ? " (можно запомнить)" : "") << std::endl;
  const std::string password = ReadLine();
  const bool remember = canRemember && ReadLine() == "remember";
  if (engine_) engine_->Connect(password, remember);
}

void TextConnectView::ShowConnected(const std::string& address) {
  out_ << kConnectedText << " " << address << std::endl;
  if (ReadLine() == "disconnect" && engine_) return engine_->Disconnect();
  done_(0);
}

void TextConnectView::ShowFailure(const FailureText& text, bool) {
  out_ << text.reason << "\n" << text.advice << std::endl;
  done_(1);
}

void TextConnectView::ShowDisconnected() {
  out_ << kDisconnectedText << std::endl;
  done_(0);
}

void TextConnectView::ShowNotice(const std::string& text) { out_ << text << std::endl; }

}  // namespace verolink::connect

#include "host/connect/console_connect_view.h"

#include <glib.h>

#include <cstdio>
#include <iostream>

namespace verolink::host {

namespace {

std::string ReadLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return {};
  return line;
}

}  // namespace

ConsoleConnectView::ConsoleConnectView(connect::ConnectEngine*& engine,
                                       std::function<void(int)> done)
    : engine_(engine), done_(std::move(done)) {}

void ConsoleConnectView::Later(std::function<void()> step) {
  g_idle_add_full(
      G_PRIORITY_DEFAULT_IDLE,
      [](gpointer data) {
        (*static_cast<std::function<void()>*>(data))();
        return G_SOURCE_REMOVE;
      },
      new std::function<void()>(std::move(step)),
      [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

void ConsoleConnectView::ShowProgress(connect::Step step) {
  std::printf("%s\n", connect::StepText(step).c_str());
  std::fflush(stdout);
}

void ConsoleConnectView::AskPassword(bool canRemember) {
  std::printf("Пароль:%s\n", canRemember ? " (можно запомнить)" : "");
  std::fflush(stdout);
  asked_ = true;
  Later([this, canRemember] {
    const std::string password = ReadLine();
    const bool remember = canRemember && ReadLine() == "remember";
    engine_->Connect(password, remember);
  });
}

void ConsoleConnectView::ShowConnected(const std::string& address) {
  std::printf("%s %s\n", connect::kConnectedText, address.c_str());
  std::fflush(stdout);
  Later([this] {
    if (ReadLine() == "disconnect") return engine_->Disconnect();
    done_(0);
  });
}

void ConsoleConnectView::ShowFailure(const connect::FailureText& text, bool) {
  std::printf("%s\n%s\n", text.reason.c_str(), text.advice.c_str());
  std::fflush(stdout);
  done_(1);
}

void ConsoleConnectView::ShowDisconnected() {
  std::printf("%s\n", connect::kDisconnectedText);
  std::fflush(stdout);
  done_(0);
}

void ConsoleConnectView::ShowNotice(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

}  // namespace verolink::host

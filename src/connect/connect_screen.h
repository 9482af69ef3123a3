#pragma once

#include <functional>
#include <string>

#include "connect/connect_engine.h"

namespace verolink::connect {

inline constexpr char kConnectButtonText[] = "Подключить";
inline constexpr char kDisconnectButtonText[] = "Отключить";
inline constexpr char kCloseButtonText[] = "Закрыть";
inline constexpr char kPasswordLabelText[] = "Пароль:";
inline constexpr char kRememberText[] = "Запомнить пароль";

// What the connect window shows at a moment; a toolkit draws it as it is.
struct ConnectScreen {
  std::string status;          // the step, or how it ended
  std::string advice;          // what to do about a failure
  std::string notice;          // e.g. that no password can be remembered
  bool askPassword = false;    // the password field, empty, focused
  bool canRemember = false;    // the remember box beside it
  bool canConnect = false;     // the connect button (Enter)
  bool canDisconnect = false;  // the disconnect button
};

// The connect window's state as the engine drives it; `render` draws each
// change. The connect button's press goes to Press.
class ScreenConnectView : public ConnectView {
 public:
  explicit ScreenConnectView(std::function<void(const ConnectScreen&)> render);
  void Attach(ConnectEngine& engine) { engine_ = &engine; }
  // The connect button: dials with the password typed, or, where none is
  // asked, dials again.
  void Press(const std::string& password, bool remember);
  void PressDisconnect();
  const ConnectScreen& screen() const { return screen_; }

  void ShowProgress(Step step) override;
  void AskPassword(bool canRemember) override;
  void ShowConnected(const std::string& address) override;
  void ShowFailure(const FailureText& text, bool askPassword) override;
  void ShowDisconnected() override;
  void ShowNotice(const std::string& text) override;

 private:
  void Busy();
  std::function<void(const ConnectScreen&)> render_;
  ConnectEngine* engine_ = nullptr;
  ConnectScreen screen_;
};

}  // namespace verolink::connect

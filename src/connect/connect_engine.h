#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "connect/dial_outcome.h"

namespace verolink::connect {

// The connect window as the engine drives it.
class ConnectView {
 public:
  virtual ~ConnectView() = default;
  virtual void ShowProgress(Step step) = 0;
  // Shows the password field; the remember box only when `canRemember`.
  // Its answer comes back through ConnectEngine::Connect.
  virtual void AskPassword(bool canRemember) = 0;
  virtual void ShowConnected(const std::string& address) = 0;
  // `askPassword`: the password field is shown again for another try.
  virtual void ShowFailure(const FailureText& text, bool askPassword) = 0;
  virtual void ShowDisconnected() = 0;
  // A line beside the rest, e.g. that no password can be remembered.
  virtual void ShowNotice(const std::string& text) = 0;
};

// The search for the card the provider's equipment answers on.
class CardSearch {
 public:
  virtual ~CardSearch() = default;
  // Calls `done` once with the cards seen for connection `uuid`, later or at once.
  virtual void Search(const std::string& uuid, std::function<void(std::vector<CardSeen>)> done) = 0;
};

// What a dial reports while it runs.
class DialEvents {
 public:
  virtual ~DialEvents() = default;
  // NetworkManager asked for the password, and was given it.
  virtual void OnPasswordAsked() = 0;
  // The provider accepted the login; the address is being negotiated.
  virtual void OnAuthenticated() = 0;
  virtual void OnConnected(const std::string& address) = 0;
  // The dial, or the connection it made, ended; `facts` as the dialer knows them.
  virtual void OnEnded(const DialFacts& facts) = 0;
  // NetworkManager did not take the dial at all.
  virtual void OnRejected(Failure failure) = 0;
};

// Starting and ending a connection in the system (NetworkManager).
class Dialer {
 public:
  virtual ~Dialer() = default;
  // Starts connection `uuid` through `card` (empty: its own choice), giving
  // `password` when it is asked for. Reports to `events` until it ends.
  virtual void Dial(const std::string& uuid, const std::string& card, const std::string& password,
                    DialEvents& events) = 0;
  // Ends the connection that Dial brought up; reports OnEnded.
  virtual void HangUp() = 0;
  // Whether the system keeps the connection's password itself, so that none
  // is asked.
  virtual bool KeepsPassword(const std::string& uuid) const = 0;
};

// Where remembered passwords are kept (the Secret Service).
class PasswordStore {
 public:
  virtual ~PasswordStore() = default;
  virtual bool Available() = 0;
  virtual std::optional<std::string> Lookup(const std::string& uuid) = 0;
  // Whether it was kept.
  virtual bool Remember(const std::string& uuid, const std::string& name,
                        const std::string& password) = 0;
};

inline constexpr char kCannotRememberText[] =
    "Пароль нельзя запомнить: на компьютере нет хранилища паролей. Его придётся вводить при "
    "каждом подключении.";
inline constexpr char kNotRememberedText[] = "Пароль не удалось запомнить.";
inline constexpr char kDisconnectedText[] = "Отключено";

// One connect of connection `uuid` (named `name`): with a remembered
// password (or one the system keeps) it dials at Start, else it asks first; it searches the card,
// dials through it, follows the steps, remembers the password once the provider accepted it, and
// says how it ended.
class ConnectEngine : private DialEvents {
 public:
  ConnectEngine(std::string uuid, std::string name, ConnectView& view, CardSearch& cards,
                Dialer& dialer, PasswordStore& store);
  void Start();
  // The password typed and the remember box (Enter in the window).
  void Connect(const std::string& password, bool remember);
  void Disconnect();
  bool connected() const { return state_ == State::kConnected; }

 private:
  enum class State { kIdle, kSearching, kDialing, kConnected, kHangingUp };
  void Dial(const std::string& password, bool remember, bool stored);
  void Progress(Step step);
  void Fail(Failure failure);
  void OnCards(const std::vector<CardSeen>& cards);
  void OnPasswordAsked() override;
  void OnAuthenticated() override;
  void OnConnected(const std::string& address) override;
  void OnEnded(const DialFacts& facts) override;
  void OnRejected(Failure failure) override;

  std::string uuid_, name_;
  ConnectView& view_;
  CardSearch& cards_;
  Dialer& dialer_;
  PasswordStore& store_;
  State state_ = State::kIdle;
  std::optional<Step> step_;
  std::string password_;
  bool remember_ = false;
  bool stored_ = false;  // the password came from the store
  bool canRemember_ = false;
  std::optional<bool> answered_;
};

}  // namespace verolink::connect

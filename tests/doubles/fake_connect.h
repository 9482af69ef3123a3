#pragma once
// Test doubles of the connect engine's interfaces: a view that logs what it
// shows, a card search with set answers, a dialer the test drives, a store.

#include <map>
#include <string>
#include <vector>

#include "connect/connect.h"

namespace verolink::testing {

struct FakeConnectView : connect::ConnectView {
  std::vector<std::string> log;
  void ShowProgress(connect::Step step) override { log.push_back("progress:" + StepText(step)); }
  void AskPassword(bool canRemember) override {
    log.push_back(std::string("ask:") + (canRemember ? "remember" : "no-remember"));
  }
  void ShowConnected(const std::string& address) override {
    log.push_back(std::string(connect::kConnectedText) + ":" + address);
  }
  void ShowFailure(const connect::FailureText& text, bool ask) override {
    log.push_back("failure:" + text.reason + (ask ? ":ask" : ""));
  }
  void ShowDisconnected() override { log.push_back("disconnected"); }
  void ShowNotice(const std::string& text) override { log.push_back("notice:" + text); }
};

struct FakeCardSearch : connect::CardSearch {
  std::vector<connect::CardSeen> cards{{"eth0", false, std::nullopt}, {"eth1", true, true}};
  void Search(const std::string&,
              std::function<void(std::vector<connect::CardSeen>)> done) override {
    done(cards);
  }
};

// Records each dial as "uuid|card|password"; the test plays NetworkManager
// through `events`.
struct FakeDialer : connect::Dialer {
  connect::DialEvents* events = nullptr;
  std::vector<std::string> dials;
  int hangUps = 0;
  bool keepsPassword = false;
  bool KeepsPassword(const std::string&) const override { return keepsPassword; }
  void Dial(const std::string& uuid, const std::string& card, const std::string& password,
            connect::DialEvents& e) override {
    events = &e;
    dials.push_back(uuid + "|" + card + "|" + password);
  }
  void HangUp() override { ++hangUps; }
};

struct FakePasswordStore : connect::PasswordStore {
  bool available = true;
  std::map<std::string, std::string> kept;
  bool Available() override { return available; }
  std::optional<std::string> Lookup(const std::string& uuid) override {
    const auto it = kept.find(uuid);
    return it == kept.end() ? std::nullopt : std::optional(it->second);
  }
  bool Remember(const std::string& uuid, const std::string&, const std::string& pw) override {
    if (!available) return false;
    kept[uuid] = pw;
    return true;
  }
};

}  // namespace verolink::testing

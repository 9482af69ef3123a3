#include "connect/connect_engine.h"

#include <utility>

namespace verolink::connect {

ConnectEngine::ConnectEngine(std::string uuid, std::string name, ConnectView& view,
                             CardSearch& cards, Dialer& dialer, PasswordStore& store)
    : uuid_(std::move(uuid)),
      name_(std::move(name)),
      view_(view),
      cards_(cards),
      dialer_(dialer),
      store_(store) {}

void ConnectEngine::Start() {
  if (dialer_.KeepsPassword(uuid_)) return Dial({}, false, true);
  canRemember_ = store_.Available();
  if (canRemember_) {
    if (const auto password = store_.Lookup(uuid_)) return Dial(*password, false, true);
  } else {
    view_.ShowNotice(kCannotRememberText);
  }
  view_.AskPassword(canRemember_);
}

void ConnectEngine::Connect(const std::string& password, bool remember) {
  if (state_ != State::kIdle) return;
  if (password.empty()) return Fail(Failure::kNoPassword);
  Dial(password, remember && canRemember_, false);
}

void ConnectEngine::Dial(const std::string& password, bool remember, bool stored) {
  password_ = password;
  remember_ = remember;
  stored_ = stored;
  step_.reset();
  answered_.reset();
  state_ = State::kSearching;
  Progress(Step::kLookingForEquipment);
  cards_.Search(uuid_, [this](std::vector<CardSeen> cards) { OnCards(cards); });
}

void ConnectEngine::OnCards(const std::vector<CardSeen>& cards) {
  if (state_ != State::kSearching) return;
  const CardChoice choice = ChooseCard(cards);
  if (choice.kind == CardChoice::Kind::kNoLink) return Fail(Failure::kNoLink);
  if (choice.kind == CardChoice::Kind::kNoAnswer) return Fail(Failure::kNoAnswer);
  answered_ = choice.answered;
  state_ = State::kDialing;
  dialer_.Dial(uuid_, choice.card, password_, *this);
}

void ConnectEngine::Disconnect() {
  if (state_ != State::kConnected) return;
  state_ = State::kHangingUp;
  dialer_.HangUp();
}

void ConnectEngine::Progress(Step step) {
  // The steps only go forward.
  if (step_ && *step_ >= step) return;
  step_ = step;
  view_.ShowProgress(step);
}

void ConnectEngine::Fail(Failure failure) {
  state_ = State::kIdle;
  // A refused password is asked again, the remembered one too.
  const bool ask = failure == Failure::kRefused || failure == Failure::kNoPassword || !stored_;
  if (failure == Failure::kRefused) stored_ = false;
  password_.clear();
  view_.ShowFailure(TextOf(failure), ask);
}

void ConnectEngine::OnPasswordAsked() {
  if (state_ == State::kDialing) Progress(Step::kCheckingPassword);
}

void ConnectEngine::OnAuthenticated() {
  if (state_ != State::kDialing) return;
  Progress(Step::kCheckingPassword);
  Progress(Step::kGettingAddress);
  // Only a password the provider accepted is kept.
  if (remember_ && !store_.Remember(uuid_, name_, password_)) view_.ShowNotice(kNotRememberedText);
  remember_ = false;
}

void ConnectEngine::OnConnected(const std::string& address) {
  if (state_ != State::kDialing) return;
  OnAuthenticated();
  password_.clear();
  state_ = State::kConnected;
  view_.ShowConnected(address);
}

void ConnectEngine::OnEnded(const DialFacts& facts) {
  if (state_ == State::kHangingUp) {
    state_ = State::kIdle;
    return view_.ShowDisconnected();
  }
  if (state_ != State::kDialing && state_ != State::kConnected) return;
  DialFacts known = facts;
  if (!known.answered) known.answered = answered_;
  Fail(ClassifyEnd(known));
}

void ConnectEngine::OnRejected(Failure failure) {
  if (state_ == State::kDialing || state_ == State::kHangingUp) Fail(failure);
}

}  // namespace verolink::connect

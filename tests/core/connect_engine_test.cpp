#include <gtest/gtest.h>

#include "connect/connect.h"
#include "doubles/fake_connect.h"

namespace verolink::connect {
namespace {

constexpr char kUuid[] = "0b1c5a2e-7f4d-4c57-9d0a-3a1f2b6c9e10";

using testing::FakeCardSearch;
using testing::FakeConnectView;
using testing::FakeDialer;
using testing::FakePasswordStore;

struct Connect {
  FakeConnectView view;
  FakeCardSearch cards;
  FakeDialer dialer;
  FakePasswordStore store;
  ConnectEngine engine{kUuid, "Pelkar INTERNET", view, cards, dialer, store};
};

std::string Progress(Step step) { return "progress:" + StepText(step); }
std::string Failed(Failure failure, bool ask = true) {
  return "failure:" + TextOf(failure).reason + (ask ? ":ask" : "");
}

TEST(ConnectEngine, TypedPasswordDialsTheAnsweringCardWalksTheStepsAndIsKeptOnlyOnceAccepted) {
  Connect c;
  c.engine.Start();
  ASSERT_EQ(c.view.log, std::vector<std::string>{"ask:remember"});
  c.engine.Connect("secret", true);
  ASSERT_EQ(c.dialer.dials, std::vector<std::string>{std::string(kUuid) + "|eth1|secret"});
  c.dialer.events->OnPasswordAsked();
  EXPECT_TRUE(c.store.kept.empty()) << "a password is kept before the provider accepted it";
  c.dialer.events->OnAuthenticated();
  c.dialer.events->OnConnected("10.64.0.7");
  EXPECT_EQ(c.store.kept[kUuid], "secret");
  EXPECT_TRUE(c.engine.connected());
  c.engine.Disconnect();
  EXPECT_EQ(c.dialer.hangUps, 1);
  c.dialer.events->OnEnded(
      {nm::kDeviceUserRequested, nm::kActiveUserDisconnected, true, true, std::nullopt});
  EXPECT_EQ(c.view.log, (std::vector<std::string>{
                            "ask:remember", Progress(Step::kLookingForEquipment),
                            Progress(Step::kCheckingPassword), Progress(Step::kGettingAddress),
                            std::string(kConnectedText) + ":10.64.0.7", "disconnected"}));

  // The second connect uses the kept password without asking.
  Connect again;
  again.store.kept = c.store.kept;
  again.engine.Start();
  EXPECT_EQ(again.dialer.dials, std::vector<std::string>{std::string(kUuid) + "|eth1|secret"});
  EXPECT_EQ(again.view.log, std::vector<std::string>{Progress(Step::kLookingForEquipment)});
}

TEST(ConnectEngine, EachEndIsToldApartAndTheRightOnesAskThePasswordAgain) {
  {  // The equipment answered, the password was asked, then pppd failed: refused.
    Connect c;
    c.store.kept[kUuid] = "stale";
    c.engine.Start();
    c.dialer.events->OnPasswordAsked();
    c.dialer.events->OnEnded({nm::kDevicePppFailed, 0, false, true, std::nullopt});
    EXPECT_EQ(c.view.log.back(), Failed(Failure::kRefused));
    EXPECT_EQ(c.store.kept[kUuid], "stale") << "a refused password is not rewritten";
    c.engine.Connect("fresh", false);
    EXPECT_EQ(c.dialer.dials.back(), std::string(kUuid) + "|eth1|fresh");
  }
  {  // Nothing answered on any card with a link: no dial at all.
    Connect c;
    c.cards.cards = {{"eth0", true, false}, {"eth1", false, std::nullopt}};
    c.engine.Start();
    c.engine.Connect("pw", false);
    EXPECT_TRUE(c.dialer.dials.empty());
    EXPECT_EQ(c.view.log.back(), Failed(Failure::kNoAnswer));
  }
  {  // No card has a link.
    Connect c;
    c.cards.cards = {{"eth0", false, std::nullopt}};
    c.engine.Start();
    c.engine.Connect("pw", false);
    EXPECT_EQ(c.view.log.back(), Failed(Failure::kNoLink));
  }
  {  // Unknown answer, one card with a link, pppd failed before the login: no answer.
    Connect c;
    c.cards.cards = {{"eth0", true, std::nullopt}};
    c.engine.Start();
    c.engine.Connect("pw", true);
    EXPECT_EQ(c.dialer.dials.back(), std::string(kUuid) + "|eth0|pw");
    c.dialer.events->OnEnded({nm::kDevicePppDisconnect, 0, false, false, std::nullopt});
    EXPECT_EQ(c.view.log.back(), Failed(Failure::kNoAnswer));
    EXPECT_TRUE(c.store.kept.empty());
  }
  {  // Up, then the provider dropped it: said so, with the kept password not asked.
    Connect c;
    c.store.kept[kUuid] = "secret";
    c.engine.Start();
    c.dialer.events->OnConnected("10.64.0.7");
    c.dialer.events->OnEnded({nm::kDevicePppDisconnect, 0, true, true, std::nullopt});
    EXPECT_EQ(c.view.log.back(), Failed(Failure::kSessionEnded, false));
  }
  for (const Failure rejected : {Failure::kNoManager, Failure::kNotAllowed}) {
    Connect c;
    c.store.available = false;
    c.engine.Start();
    EXPECT_EQ(c.view.log, (std::vector<std::string>{std::string("notice:") + kCannotRememberText,
                                                    "ask:no-remember"}));
    c.engine.Connect("pw", true);
    c.dialer.events->OnRejected(rejected);
    EXPECT_EQ(c.view.log.back(), Failed(rejected));
  }
  {  // A password NetworkManager keeps itself is neither asked nor kept.
    Connect c;
    c.dialer.keepsPassword = true;
    c.engine.Start();
    EXPECT_EQ(c.dialer.dials, std::vector<std::string>{std::string(kUuid) + "|eth1|"});
    c.dialer.events->OnConnected("10.64.0.7");
    EXPECT_TRUE(c.store.kept.empty());
  }
  {  // An empty password is not dialed.
    Connect c;
    c.engine.Start();
    c.engine.Connect("", false);
    EXPECT_TRUE(c.dialer.dials.empty());
    EXPECT_EQ(c.view.log.back(), Failed(Failure::kNoPassword));
  }
}

TEST(ClassifyEnd, NetworkManagersReasonsWithWhatElseIsKnown) {
  struct Case {
    DialFacts facts;
    Failure expected;
  };
  const Case cases[] = {
      {{nm::kDevicePppFailed, 0, false, false, std::nullopt}, Failure::kNoAnswer},
      {{nm::kDevicePppFailed, 0, false, false, true}, Failure::kRefused},
      {{nm::kDevicePppDisconnect, 0, false, true, std::nullopt}, Failure::kRefused},
      {{nm::kDevicePppStartFailed, 0, false, false, false}, Failure::kNoAnswer},
      {{0, nm::kActiveLoginFailed, false, true, std::nullopt}, Failure::kRefused},
      {{nm::kDeviceNoSecrets, nm::kActiveNoSecrets, false, false, true}, Failure::kNoPassword},
      {{nm::kDeviceNoSecrets, 0, false, true, true}, Failure::kRefused},
      {{nm::kDeviceCarrier, 0, false, false, std::nullopt}, Failure::kNoLink},
      {{nm::kDeviceCarrier, 0, true, true, true}, Failure::kSessionEnded},
      {{nm::kDevicePppDisconnect, 0, true, true, true}, Failure::kSessionEnded},
      {{nm::kDeviceIpConfigUnavailable, 0, false, true, true}, Failure::kSessionEnded},
      {{3, 0, false, false, std::nullopt}, Failure::kOther},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyEnd(c.facts), c.expected)
        << "device " << c.facts.deviceReason << ", active " << c.facts.activeReason;
  }
}

TEST(ChooseCard, TheAnsweringCardFirstThenLinkThenNothing) {
  using Kind = CardChoice::Kind;
  const auto choose = [](std::vector<CardSeen> cards) {
    const CardChoice c = ChooseCard(cards);
    return std::to_string(static_cast<int>(c.kind)) + ":" + c.card;
  };
  const auto expect = [](Kind kind, const std::string& card) {
    return std::to_string(static_cast<int>(kind)) + ":" + card;
  };
  EXPECT_EQ(choose({{"eth0", true, false}, {"eth1", true, true}}), expect(Kind::kCard, "eth1"));
  EXPECT_EQ(choose({{"eth0", false, true}, {"eth1", true, std::nullopt}}),
            expect(Kind::kCard, "eth1"));
  EXPECT_EQ(choose({{"eth0", true, std::nullopt}, {"eth1", true, std::nullopt}}),
            expect(Kind::kAny, ""));
  EXPECT_EQ(choose({{"eth0", true, false}, {"eth1", true, std::nullopt}}), expect(Kind::kAny, ""));
  EXPECT_EQ(choose({{"eth0", true, false}, {"eth1", false, std::nullopt}}),
            expect(Kind::kNoAnswer, ""));
  EXPECT_EQ(choose({{"eth0", false, std::nullopt}}), expect(Kind::kNoLink, ""));
  EXPECT_EQ(choose({}), expect(Kind::kNoLink, ""));
}

// The stand-in window's lines: what the dial test types and reads.
TEST(TextConnectView, ReadsThePasswordAndTheDisconnectAndWritesEachStepAndTheEnd) {
  std::istringstream in("secret\nremember\ndisconnect\n");
  std::ostringstream out;
  int status = -1;
  TextConnectView view(in, out, [&](int s) { status = s; });
  FakeCardSearch cards;
  FakeDialer dialer;
  FakePasswordStore store;
  ConnectEngine engine(kUuid, "Pelkar INTERNET", view, cards, dialer, store);
  view.Attach(engine);
  engine.Start();
  ASSERT_EQ(dialer.dials, std::vector<std::string>{std::string(kUuid) + "|eth1|secret"});
  dialer.events->OnPasswordAsked();
  dialer.events->OnConnected("10.64.0.7");
  EXPECT_EQ(store.kept[kUuid], "secret");
  EXPECT_EQ(dialer.hangUps, 1);
  dialer.events->OnEnded(
      {nm::kDeviceUserRequested, nm::kActiveUserDisconnected, true, true, std::nullopt});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out.str(),
            "Пароль: (можно запомнить)\nПоиск оборудования провайдера…\nПроверка логина и "
            "пароля…\nПолучение адреса…\nПодключено 10.64.0.7\nОтключено\n");
  // A failure ends it with its reason and advice.
  std::istringstream wrong("wrong\n\n");
  std::ostringstream said;
  TextConnectView failing(wrong, said, [&](int s) { status = s; });
  ConnectEngine again(kUuid, "Pelkar INTERNET", failing, cards, dialer, store);
  store.kept.clear();
  failing.Attach(again);
  again.Start();
  dialer.events->OnPasswordAsked();
  dialer.events->OnEnded({nm::kDevicePppFailed, 0, false, true, std::nullopt});
  EXPECT_EQ(status, 1);
  const FailureText refused = TextOf(Failure::kRefused);
  EXPECT_NE(said.str().find(refused.reason + "\n" + refused.advice + "\n"), std::string::npos)
      << said.str();
}

// NetworkManager's reports of one activation, in the order they come.
TEST(DialTracker, TellsTheStepsConnectedOnceTheAddressIsKnownAndTheFactsOfTheEnd) {
  struct Events : DialEvents {
    std::vector<std::string> log;
    void OnPasswordAsked() override { log.push_back("password"); }
    void OnAuthenticated() override { log.push_back("authenticated"); }
    void OnConnected(const std::string& address) override { log.push_back("up " + address); }
    void OnEnded(const DialFacts&) override { log.push_back("ended"); }
    void OnRejected(Failure) override { log.push_back("rejected"); }
  } events;
  DialTracker tracker(events);
  tracker.IpInterface("eth1");
  tracker.PasswordGiven();
  tracker.IpInterface("ppp-eth1");
  tracker.IpInterface("ppp0");
  EXPECT_FALSE(tracker.ActiveState(nm::kActiveActivated, 0, 0));
  tracker.Address("");
  tracker.Address("169.254.10.2");
  tracker.Address("169.254.10.2");
  EXPECT_EQ(events.log, (std::vector<std::string>{"password", "authenticated", "up 169.254.10.2"}));
  // The first reason the device went down for; not the later removal.
  tracker.DeviceState(100, 0);
  tracker.DeviceState(nm::kDeviceFailed, nm::kDevicePppDisconnect);
  tracker.DeviceState(10, 36);
  const auto ended = tracker.ActiveState(nm::kActiveDeactivated, 3, 36);
  ASSERT_TRUE(ended);
  EXPECT_EQ(ended->deviceReason, nm::kDevicePppDisconnect);
  EXPECT_EQ(ended->activeReason, 3);
  EXPECT_TRUE(ended->wasConnected && ended->passwordAsked);
  EXPECT_EQ(ClassifyEnd(*ended), Failure::kSessionEnded);
  // Ended before the login: nothing asked, the device's last reason stands.
  DialTracker silent(events);
  const auto none = silent.ActiveState(nm::kActiveDeactivated, 3, nm::kDevicePppFailed);
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->passwordAsked || none->wasConnected);
  EXPECT_EQ(ClassifyEnd(*none), Failure::kNoAnswer);
}

// What the window's agent answers NetworkManager: never a second question to
// the desktop's agent for a password the provider refused.
TEST(SecretOffer, GivesItsConnectionsPasswordCancelsARequestForANewOneDeclinesTheRest) {
  using Answer = SecretOffer::Answer;
  SecretOffer offer;
  int asked = 0;
  EXPECT_EQ(offer.For(kUuid, "pppoe", false), Answer::kDecline);
  offer.Give(kUuid, "secret", [&] { ++asked; });
  EXPECT_EQ(offer.For(kUuid, "pppoe", false), Answer::kPassword);
  EXPECT_EQ(offer.password(), "secret");
  EXPECT_EQ(offer.For(kUuid, "pppoe", true), Answer::kCancel);
  EXPECT_EQ(offer.For(kUuid, "802-1x", false), Answer::kDecline);
  EXPECT_EQ(offer.For("another", "pppoe", false), Answer::kDecline);
  EXPECT_EQ(asked, 1);
  offer.Withdraw();
  EXPECT_EQ(offer.For(kUuid, "pppoe", false), Answer::kDecline);
}

}  // namespace
}  // namespace verolink::connect

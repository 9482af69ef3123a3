#pragma once

#include <optional>
#include <string>
#include <vector>

namespace verolink::connect {

// The steps a connect goes through, in order, as the window shows them.
enum class Step { kReachingManager, kLookingForEquipment, kCheckingPassword, kGettingAddress };
std::string StepText(Step step);

// Why a connect ended without a connection, told apart so that the
// subscriber can act on each.
enum class Failure {
  kNoAnswer,      // the provider's equipment did not answer on the card
  kRefused,       // the provider refused the login or the password
  kSessionEnded,  // the provider ended the session, or the line dropped
  kNoLink,        // no Ethernet card has a link
  kNoManager,     // NetworkManager does not answer
  kNotAllowed,    // NetworkManager does not allow this user to connect
  kNoPassword,    // no password was given
  kOther,         // anything else NetworkManager reports
};

// What the window says: the reason in plain words and what to do about it.
struct FailureText {
  std::string reason;
  std::string advice;
};
FailureText TextOf(Failure failure);

inline constexpr char kConnectedText[] = "Подключено";

// NetworkManager's states and reasons (nm-dbus-interface.h) a dial is
// followed and its end told by.
namespace nm {
inline constexpr int kDeviceDisconnected = 30;
inline constexpr int kDeviceDeactivating = 110;
inline constexpr int kDeviceFailed = 120;
inline constexpr int kActiveActivated = 2;
inline constexpr int kActiveDeactivated = 4;
inline constexpr int kDeviceIpConfigUnavailable = 5;
inline constexpr int kDeviceIpConfigExpired = 6;
inline constexpr int kDeviceNoSecrets = 7;
inline constexpr int kDevicePppStartFailed = 12;
inline constexpr int kDevicePppDisconnect = 13;
inline constexpr int kDevicePppFailed = 14;
inline constexpr int kDeviceUserRequested = 39;
inline constexpr int kDeviceCarrier = 40;
inline constexpr int kActiveUserDisconnected = 2;
inline constexpr int kActiveNoSecrets = 9;
inline constexpr int kActiveLoginFailed = 10;
}  // namespace nm

// What is known when a dial has ended without a connection, or when an
// established one went down.
struct DialFacts {
  int deviceReason = 0;          // the last NM_DEVICE_STATE_REASON_* of the device
  int activeReason = 0;          // NM_ACTIVE_CONNECTION_STATE_REASON_* of the end
  bool wasConnected = false;     // the connection had come up
  bool passwordAsked = false;    // NetworkManager asked for the password: pppd had
                                 // found the provider's equipment and reached the login
  std::optional<bool> answered;  // the card search's answer for the card dialed
};

// The reason a dial ended: NetworkManager reports the same PPP reasons for a
// silent concentrator and a refused password, so whether the password was
// asked (or the card search saw the equipment answer) tells them apart; a
// connection that had come up and went down was ended by the other side.
Failure ClassifyEnd(const DialFacts& facts);

// A card as the card search saw it.
struct CardSeen {
  std::string name;
  bool link = false;
  std::optional<bool> answered;  // whether the provider's equipment answered on it, when asked
};

// Which card to dial through.
struct CardChoice {
  enum class Kind {
    kCard,      // dial through `card`
    kAny,       // leave it to the connection's own setting
    kNoLink,    // no card has a link
    kNoAnswer,  // cards have a link, the equipment answered on none
  } kind = Kind::kAny;
  std::string card;
  std::optional<bool> answered;
};

// The card with a link the equipment answered on (the first when several
// did); else no link, when no card has one; else no answer, when every card
// with a link was asked; else the one card with a link; else any.
CardChoice ChooseCard(const std::vector<CardSeen>& cards);

}  // namespace verolink::connect

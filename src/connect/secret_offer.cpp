#include "connect/secret_offer.h"

#include <utility>

namespace verolink::connect {

void SecretOffer::Give(std::string uuid, std::string password, std::function<void()> asked) {
  uuid_ = std::move(uuid);
  password_ = std::move(password);
  asked_ = std::move(asked);
}

void SecretOffer::Withdraw() { Give({}, {}, nullptr); }

SecretOffer::Answer SecretOffer::For(const std::string& uuid, const std::string& setting,
                                     bool requestNew) {
  if (uuid_.empty() || uuid != uuid_ || setting != "pppoe") return Answer::kDecline;
  if (requestNew) return Answer::kCancel;
  if (asked_) asked_();
  return Answer::kPassword;
}

}  // namespace verolink::connect

#pragma once

#include <optional>
#include <string>

#include "connect/connect_engine.h"

namespace verolink::host {

// Remembered passwords in the Secret Service (GNOME Keyring, KWallet) on the
// session bus, through libsecret, under the schema and attributes
// NetworkManager's own agents use (org.freedesktop.NetworkManager.Connection:
// connection-uuid, setting-name "pppoe", setting-key "password"), so that
// the desktop's agent finds the same password. Never a file.
class KeyringStore : public connect::PasswordStore {
 public:
  bool Available() override;
  std::optional<std::string> Lookup(const std::string& uuid) override;
  bool Remember(const std::string& uuid, const std::string& name,
                const std::string& password) override;
};

}  // namespace verolink::host

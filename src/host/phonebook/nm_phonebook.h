#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "host/phonebook/host_phonebook_base.h"
#include "host/phonebook/login_prompt.h"
#include "host/phonebook/nm_daemon.h"
#include "phonebook/ras_phonebook.h"

namespace verolink::host {

// The subscriber gave the login but chose no Ethernet card; nothing was
// written (the platform's ERROR_PORT_NOT_AVAILABLE, the nearest condition).
inline constexpr RasError kErrorNoCardChosen = 633;

// The Remote Access phonebook as NetworkManager's saved connections, through
// the daemon: the listing is the ids of the connections this user may see,
// a write adds a pppoe connection (nm_pppoe_settings.h), a deletion deletes
// through the daemon. A connection is for every user where this user may
// change system connections without a password, else this user's own. Other
// error numbers are those of host_phonebook_errors.h. One caller at a time.
class NmPhonebook : public HostPhonebookBase {
 public:
  // `daemon` null: NetworkManager did not answer, and every call returns
  // kErrorNmNoAnswer. `entrySize` is the size reported for the platform's
  // entry structure; `codePage` is the system code page of the texts handed
  // in; `prompt` asks the login each write needs.
  NmPhonebook(std::unique_ptr<NmDaemon> daemon, std::uint32_t entrySize, const CodePage& codePage,
              LoginPrompt& prompt);

  // Adds the entry's connection, then deletes any other of that name this
  // user may see. The login is asked after the permissions, offering that of
  // the connection replaced or last deleted under that name, with the
  // Ethernet card when FindCard leaves it to the subscriber; 1223 when the
  // user cancels, kErrorNoCardChosen when they pick no card. A named
  // phonebook is refused with 621: NetworkManager keeps one set of
  // connections.
  RasError SetEntryProperties(const std::optional<std::string>& phonebook,
                              const std::string& entryName, std::span<const std::uint8_t> image,
                              std::uint32_t entrySize) override;
  // Deletes every visible connection of that name; 623 when there is none.
  RasError DeleteEntry(const std::string& entryName) override;
  // The UUID of the connection named `name`, for launchers that start it;
  // empty when there is none or NetworkManager does not answer.
  std::string UuidOf(const Text& name) const;

 private:
  // The visible connections' ids that fit an entry name (at most 256 bytes
  // in the code page).
  RasError ListNames(std::vector<std::string>& names) override;
  // The card the connection dials through: PPPoE discovery for `service` on
  // the cards with a link, then PPPoE::ChooseCard.
  PPPoE::CardChoice FindCard(const std::string& service);
  // The texts of the numbers above, else those of host_phonebook_errors.h.
  Text ErrorText(std::uint32_t code) const override;

  // Discovery ends within this, answered or not.
  static constexpr std::chrono::milliseconds kDiscoveryLimit{3000};

  std::unique_ptr<NmDaemon> daemon_;
  LoginPrompt& prompt_;
  // The login of each connection deleted by this object, by connection id,
  // to offer when it is written again.
  std::map<std::string, std::string> deletedLogins_;
};

}  // namespace verolink::host

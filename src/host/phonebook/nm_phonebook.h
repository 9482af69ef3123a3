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
// through the daemon, by UUID. A connection is for every user where this user
// may change system connections without a password, else this user's own.
// Other error numbers are those of host_phonebook_errors.h. One caller at a
// time.
class NmPhonebook : public HostPhonebookBase {
 public:
  // `daemon` null: NetworkManager did not answer, and every call returns
  // kErrorNmNoAnswer. `entrySize` is the size reported for the platform's
  // entry structure; `codePage` is the system code page of the texts handed
  // in; `prompt` asks the login each write needs.
  NmPhonebook(std::unique_ptr<NmDaemon> daemon, std::uint32_t entrySize, const CodePage& codePage,
              LoginPrompt& prompt);

  // Adds the entry's connection, under a UUID of its own, then deletes the
  // connections of that name the last listing showed (the ones the user was
  // asked about), by their UUIDs. Where another window of the program added
  // one of that name since, the first added stays and this one is deleted
  // again: 5010. The login is asked after the permissions, offering that of
  // the connection replaced or last deleted under that name, with the
  // Ethernet card when FindCard leaves it to the subscriber; 1223 when the
  // user cancels, kErrorNoCardChosen when they pick no card, 1315 for a
  // login PPPoE::IsPossibleLogin refuses. A named
  // phonebook is refused with 621: NetworkManager keeps one set of
  // connections.
  RasError SetEntryProperties(const std::optional<std::string>& phonebook,
                              const std::string& entryName, std::span<const std::uint8_t> image,
                              std::uint32_t entrySize) override;
  // Deletes the connections of that name the last listing showed (where
  // there was none, those there now), by their UUIDs, never one added
  // since; 0 when they are gone, 623 when there was none.
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

  // The UUIDs of that id the last listing showed, else those there now.
  std::vector<std::string> Listed(const std::string& id);
  // After `mine` was added: deletes the connections of `replaced`, and
  // `mine` again where another one of `id` came first.
  RasError KeepOne(const std::string& id, const std::string& mine,
                   const std::vector<std::string>& replaced);

  // Discovery ends within this, answered or not.
  static constexpr std::chrono::milliseconds kDiscoveryLimit{3000};

  std::unique_ptr<NmDaemon> daemon_;
  // The UUIDs of each id at the last listing, until a write used it.
  std::optional<std::map<std::string, std::vector<std::string>>> listed_;
  LoginPrompt& prompt_;
  // The login of each connection deleted by this object, by connection id,
  // to offer when it is written again.
  std::map<std::string, std::string> deletedLogins_;
};

}  // namespace verolink::host

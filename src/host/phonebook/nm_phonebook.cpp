#include "host/phonebook/nm_phonebook.h"

// GLib first: libnm's error header lacks C linkage for C++.
#include <gio/gio.h>
extern "C" {
#include <NetworkManager.h>
}
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "host/phonebook/card_discovery.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/nm_pppoe_settings.h"
#include "phonebook/read_entry_image.h"

namespace verolink::host {

namespace {

// This process's user's login, which NetworkManager's permissions name.
std::string LoginName() {
  const passwd* entry = ::getpwuid(::geteuid());
  return entry == nullptr ? std::to_string(::geteuid()) : entry->pw_name;
}

}  // namespace

NmPhonebook::NmPhonebook(std::unique_ptr<NmDaemon> daemon, std::uint32_t entrySize,
                         const CodePage& codePage, LoginPrompt& prompt)
    : HostPhonebookBase(entrySize, codePage), daemon_(std::move(daemon)), prompt_(prompt) {}

RasError NmPhonebook::SetEntryProperties(const std::optional<std::string>& phonebook,
                                         const std::string& entryName,
                                         std::span<const std::uint8_t> image,
                                         std::uint32_t entrySize) {
  if (phonebook && !phonebook->empty()) return kErrorCannotOpenPhonebook;
  if (!IsValidEntryName(entryName)) return kErrorWrongInfoSpecified;
  RasEntryRecord entry;
  if (const RasError e = modRASVPN::ReadEntryImage(image, entrySize, codePage_, entry);
      e != kRasSuccess) {
    return e;
  }
  if (!daemon_) return kErrorNmNoAnswer;
  NmPermissions may;
  if (const RasError r = daemon_->AskPermissions(may); r != kRasSuccess) return r;
  if (!may.modifySystem && !may.modifyOwn) return kErrorNmRefused;

  const std::string id = ToUtf8(codePage_.FromAnsi(entryName));
  std::string suggested = daemon_->LoginOf(id);
  if (const auto kept = deletedLogins_.find(id); suggested.empty() && kept != deletedLogins_.end())
    suggested = kept->second;
  const PPPoE::CardChoice card = FindCard(ToUtf8(entry.szLocalPhoneNumber));
  const std::optional<LoginAnswer> answer =
      prompt_.AskLogin({id, suggested, card.note, card.toAsk});
  if (!answer || answer->login.empty()) return kErrorCancelled;
  if (!card.toAsk.empty() && answer->card.empty()) return kErrorNoCardChosen;
  const std::string& dialsThrough = card.toAsk.empty() ? card.card : answer->card;

  const NmConnectionPtr connection = PppoeSettings(
      entry, id, answer->login, may.modifySystem ? std::string() : LoginName(), dialsThrough);
  if (!connection) return kErrorNmRejected;
  if (const RasError r = daemon_->Add(connection.get()); r != kRasSuccess) return r;
  // An older connection of that name is replaced, as the platform's write
  // replaces an entry; the new one stays whatever becomes of the old.
  daemon_->Delete(id, nm_connection_get_uuid(connection.get()));
  return kRasSuccess;
}

RasError NmPhonebook::ListNames(std::vector<std::string>& names) {
  if (!daemon_) return kErrorNmNoAnswer;
  std::vector<std::string> ids;
  if (const RasError r = daemon_->ListIds(ids); r != kRasSuccess) return r;
  for (const std::string& id : ids) {
    std::string name = codePage_.ToAnsi(FromUtf8(id));
    if (IsValidEntryName(name)) names.push_back(std::move(name));
  }
  return kRasSuccess;
}

RasError NmPhonebook::DeleteEntry(const std::string& entryName) {
  if (!daemon_) return kErrorNmNoAnswer;
  const std::string id = ToUtf8(codePage_.FromAnsi(entryName));
  const std::string login = daemon_->LoginOf(id);
  const RasError r = daemon_->Delete(id);
  if (r == kRasSuccess && !login.empty()) deletedLogins_[id] = login;
  return r;
}

PPPoE::CardChoice NmPhonebook::FindCard(const std::string& service) {
  const std::vector<PPPoE::EthernetCard> cards = daemon_->EthernetCards();
  const std::vector<std::string> probed = PPPoE::CardsToProbe(cards);
  std::map<std::string, PPPoE::DiscoveryReport> reports;
  if (!probed.empty())
    reports = DiscoverCards(DiscoveryHelperPath(), probed, service, kDiscoveryLimit);
  PPPoE::CardChoice card = PPPoE::ChooseCard(cards, reports);
  if (!probed.empty() && card.card.empty() && !card.toAsk.empty()) {
    std::string heard;
    for (const auto& [name, report] : reports)
      heard += " " + name +
               (!report.ran              ? " (could not listen)"
                : report.acNames.empty() ? " (silent)"
                                         : " (answered)");
    std::fprintf(stderr, "verolink: PPPoE discovery left the card to the subscriber:%s\n",
                 heard.c_str());
  }
  if (!card.card.empty()) {
    std::fprintf(stderr, "verolink: NetworkManager: the connection dials through %s, %s\n",
                 card.card.c_str(),
                 card.note.empty() ? "the only Ethernet card with a link"
                                   : "where the provider's access concentrator answered");
  }
  return card;
}

Text NmPhonebook::ErrorText(std::uint32_t code) const {
  switch (static_cast<RasError>(code)) {
    case kErrorNmNoAnswer:
      return u"NetworkManager не отвечает. Подключение не изменено; повторите попытку позже.";
    case kErrorNmRefused:
      return u"NetworkManager не разрешает вам изменять сетевые подключения. Подключение не "
             u"изменено; обратитесь к администратору компьютера.";
    case kErrorNoCardChosen:
      return u"Подключение не создано: не выбрана сетевая карта, к которой подключён кабель "
             u"провайдера.";
    case kErrorNmRejected:
      return u"NetworkManager не принял подключение. Подключение не изменено.";
    default:
      return HostPhonebookBase::ErrorText(code);
  }
}

std::string NmPhonebook::UuidOf(const Text& name) const {
  return daemon_ ? daemon_->UuidOf(ToUtf8(name)) : std::string();
}

}  // namespace verolink::host

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
#include "phonebook/entry_copies.h"
#include "phonebook/read_entry_image.h"
#include "pppoe/subscriber_login.h"

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
  const std::vector<std::string> replaced = Listed(id);
  std::string suggested = replaced.empty() ? std::string() : daemon_->LoginOf(replaced.front());
  if (const auto kept = deletedLogins_.find(id); suggested.empty() && kept != deletedLogins_.end())
    suggested = kept->second;
  const PPPoE::CardChoice card = FindCard(ToUtf8(entry.szLocalPhoneNumber));
  const std::optional<LoginAnswer> answer =
      prompt_.AskLogin({id, suggested, card.note, card.toAsk});
  if (!answer || answer->login.empty()) return kErrorCancelled;
  if (!card.toAsk.empty() && answer->card.empty()) return kErrorNoCardChosen;
  if (!PPPoE::IsPossibleLogin(answer->login)) return kErrorNmImpossibleLogin;
  const std::string& dialsThrough = card.toAsk.empty() ? card.card : answer->card;

  const NmConnectionPtr connection = PppoeSettings(
      entry, id, answer->login, may.modifySystem ? std::string() : LoginName(), dialsThrough);
  if (!connection) return kErrorNmRejected;
  if (const RasError r = daemon_->Add(connection.get()); r != kRasSuccess) return r;
  listed_.reset();
  return KeepOne(id, nm_connection_get_uuid(connection.get()), replaced);
}

RasError NmPhonebook::KeepOne(const std::string& id, const std::string& mine,
                              const std::vector<std::string>& replaced) {
  std::vector<NmConnectionInfo> now;
  if (daemon_->List(now, &id) != kRasSuccess) return kRasSuccess;
  for (const std::string& uuid : modRASVPN::CopiesToDelete(now, mine, replaced)) {
    // The old ones go whatever becomes of each; where another window's came
    // first, this one goes.
    if (daemon_->DeleteUuid(uuid) == kRasSuccess && uuid == mine) return kErrorNmMadeElsewhere;
  }
  return kRasSuccess;
}

std::vector<std::string> NmPhonebook::Listed(const std::string& id) {
  if (listed_) {
    const auto seen = listed_->find(id);
    return seen == listed_->end() ? std::vector<std::string>() : seen->second;
  }
  std::vector<NmConnectionInfo> now;
  daemon_->List(now, &id);
  std::vector<std::string> uuids;
  for (const NmConnectionInfo& connection : now) uuids.push_back(connection.uuid);
  return uuids;
}

RasError NmPhonebook::ListNames(std::vector<std::string>& names) {
  if (!daemon_) return kErrorNmNoAnswer;
  std::vector<NmConnectionInfo> connections;
  if (const RasError r = daemon_->List(connections); r != kRasSuccess) return r;
  listed_.emplace();
  for (const NmConnectionInfo& connection : connections) {
    (*listed_)[connection.name].push_back(connection.uuid);
    std::string name = codePage_.ToAnsi(FromUtf8(connection.name));
    if (IsValidEntryName(name)) names.push_back(std::move(name));
  }
  return kRasSuccess;
}

RasError NmPhonebook::DeleteEntry(const std::string& entryName) {
  if (!daemon_) return kErrorNmNoAnswer;
  const std::string id = ToUtf8(codePage_.FromAnsi(entryName));
  const std::vector<std::string> uuids = Listed(id);
  if (uuids.empty()) return kErrorCannotFindPhonebookEntry;
  for (const std::string& uuid : uuids) {
    const std::string login = daemon_->LoginOf(uuid);
    if (const RasError r = daemon_->DeleteUuid(uuid); r != kRasSuccess) return r;
    if (!login.empty()) deletedLogins_[id] = login;
  }
  return kRasSuccess;
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
    case kErrorNmMadeElsewhere:
      return u"Подключение с этим именем только что создано в другом окне программы; оставлено "
             u"оно, второе не создано.";
    case kErrorNmImpossibleLogin:
      return PPPoE::kImpossibleLoginText + Text(u" Подключение не создано.");
    default:
      return HostPhonebookBase::ErrorText(code);
  }
}

std::string NmPhonebook::UuidOf(const Text& name) const {
  const std::string id = ToUtf8(name);
  std::vector<NmConnectionInfo> found;
  if (!daemon_ || daemon_->List(found, &id) != kRasSuccess || found.empty()) return {};
  return found.front().uuid;
}

}  // namespace verolink::host

#include "pppoe/card_choice.h"

namespace verolink::PPPoE {

namespace {

constexpr char kFoundNote[] = "Кабель провайдера подключён к сетевой карте «%s».";
constexpr char kSeveralNote[] =
    "Оборудование провайдера ответило на нескольких сетевых картах. Выберите, через какую "
    "подключаться:";
constexpr char kNoAnswerNote[] =
    "Оборудование провайдера не ответило ни на одной сетевой карте. Проверьте, что модем "
    "включён и кабель провайдера вставлен в сетевую карту компьютера, затем нажмите «Отмена» "
    "и создайте подключение снова. Или выберите карту сами:";
constexpr char kUnknownNote[] =
    "Сетевых карт несколько. Выберите ту, к которой подключён кабель провайдера:";

std::string Replace(std::string_view pattern, const std::string& value) {
  const std::size_t at = pattern.find("%s");
  return std::string(pattern.substr(0, at)).append(value).append(pattern.substr(at + 2));
}

}  // namespace

std::vector<std::string> CardsToProbe(const std::vector<EthernetCard>& cards) {
  std::vector<std::string> linked;
  if (cards.size() < 2) return linked;
  for (const EthernetCard& card : cards)
    if (card.link) linked.push_back(card.name);
  return linked;
}

std::string CardLabel(const EthernetCard& card) {
  std::string known = card.vendor;
  if (!card.product.empty()) known += (known.empty() ? "" : " ") + card.product;
  return known.empty() ? card.name : known + " (" + card.name + ")";
}

CardChoice ChooseCard(const std::vector<EthernetCard>& cards,
                      const std::map<std::string, DiscoveryReport>& reports) {
  if (cards.size() < 2) return {};
  std::vector<CardOption> answered;
  std::vector<CardOption> linked;
  std::vector<CardOption> all;
  std::string foundLabel;  // of the last card that answered
  bool ran = false;
  for (const EthernetCard& card : cards) {
    const std::string label = CardLabel(card);
    all.push_back({card.name, card.link ? label : label + ", кабель не подключён"});
    if (card.link) linked.push_back({card.name, label});
    const auto report = reports.find(card.name);
    if (report == reports.end() || !report->second.ran) continue;
    ran = true;
    if (report->second.acNames.empty()) continue;
    const std::string& acName = report->second.acNames.front();
    foundLabel = label;
    answered.push_back({card.name, acName.empty() ? label : label + " — " + acName});
  }
  if (answered.size() == 1) return {answered.front().card, Replace(kFoundNote, foundLabel), {}};
  if (answered.size() > 1) return {{}, kSeveralNote, answered};
  if (ran) return {{}, kNoAnswerNote, all};
  if (linked.size() == 1) return {linked.front().card, {}, {}};
  return {{}, kUnknownNote, linked.empty() ? all : linked};
}

}  // namespace verolink::PPPoE

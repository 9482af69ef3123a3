#include "connect/dial_outcome.h"

#include <algorithm>

namespace verolink::connect {

std::string StepText(Step step) {
  switch (step) {
    case Step::kReachingManager:
      return "Связь с NetworkManager…";
    case Step::kLookingForEquipment:
      return "Поиск оборудования провайдера…";
    case Step::kCheckingPassword:
      return "Проверка логина и пароля…";
    case Step::kGettingAddress:
      return "Получение адреса…";
  }
  return {};
}

FailureText TextOf(Failure failure) {
  switch (failure) {
    case Failure::kNoAnswer:
      return {"Оборудование провайдера не отвечает.",
              "Проверьте, что кабель провайдера вставлен в компьютер и в модем, а модем "
              "включён. Если это не помогает, позвоните в поддержку провайдера."};
    case Failure::kRefused:
      return {"Провайдер не принял логин или пароль.",
              "Проверьте пароль (раскладку клавиатуры и Caps Lock) и введите его ещё раз. "
              "Если пароль верен, позвоните в поддержку провайдера: возможно, закончились "
              "деньги на счёте."};
    case Failure::kSessionEnded:
      return {"Провайдер завершил подключение, или связь прервалась.",
              "Подключитесь ещё раз. Если подключение снова прервётся, проверьте кабель и "
              "модем или позвоните в поддержку провайдера."};
    case Failure::kNoLink:
      return {"Кабель провайдера не подключён: ни у одной сетевой карты нет связи.",
              "Вставьте кабель провайдера в сетевую карту компьютера, включите модем и "
              "подключитесь ещё раз."};
    case Failure::kNoManager:
      return {"NetworkManager не отвечает.",
              "Подождите минуту и подключитесь ещё раз. Если это не помогает, перезагрузите "
              "компьютер."};
    case Failure::kNotAllowed:
      return {"NetworkManager не разрешает вам подключаться к Интернету.",
              "Обратитесь к администратору компьютера."};
    case Failure::kNoPassword:
      return {"Пароль не введён.", "Введите пароль, который дал провайдер, и подключитесь."};
    case Failure::kOther:
      break;
  }
  return {"Подключиться не удалось.",
          "Подключитесь ещё раз. Если это не помогает, позвоните в поддержку провайдера."};
}

Failure ClassifyEnd(const DialFacts& facts) {
  if (facts.deviceReason == nm::kDeviceCarrier) {
    return facts.wasConnected ? Failure::kSessionEnded : Failure::kNoLink;
  }
  if (facts.wasConnected) return Failure::kSessionEnded;
  if (facts.deviceReason == nm::kDeviceNoSecrets || facts.activeReason == nm::kActiveNoSecrets) {
    return facts.passwordAsked ? Failure::kRefused : Failure::kNoPassword;
  }
  if (facts.activeReason == nm::kActiveLoginFailed) return Failure::kRefused;
  switch (facts.deviceReason) {
    case nm::kDevicePppStartFailed:
    case nm::kDevicePppDisconnect:
    case nm::kDevicePppFailed:
      return facts.passwordAsked || facts.answered.value_or(false) ? Failure::kRefused
                                                                   : Failure::kNoAnswer;
    case nm::kDeviceIpConfigUnavailable:
    case nm::kDeviceIpConfigExpired:
      return Failure::kSessionEnded;
    default:
      return Failure::kOther;
  }
}

CardChoice ChooseCard(const std::vector<CardSeen>& cards) {
  using Kind = CardChoice::Kind;
  const auto answered = std::find_if(cards.begin(), cards.end(), [](const CardSeen& card) {
    return card.link && card.answered.value_or(false);
  });
  if (answered != cards.end()) return {Kind::kCard, answered->name, true};
  const auto linked =
      std::count_if(cards.begin(), cards.end(), [](const CardSeen& card) { return card.link; });
  if (linked == 0) return {Kind::kNoLink, {}, {}};
  const bool allAsked = std::all_of(cards.begin(), cards.end(), [](const CardSeen& card) {
    return !card.link || card.answered.has_value();
  });
  if (allAsked) return {Kind::kNoAnswer, {}, false};
  if (linked == 1) {
    const auto one =
        std::find_if(cards.begin(), cards.end(), [](const CardSeen& c) { return c.link; });
    return {Kind::kCard, one->name, {}};
  }
  return {Kind::kAny, {}, {}};
}

}  // namespace verolink::connect

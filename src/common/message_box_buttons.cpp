#include "common/message_box_buttons.h"

#include <algorithm>

namespace verolink {

namespace {

constexpr int kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7;

}  // namespace

MessageBoxButtons ButtonsOfStyle(int style) {
  // By the style's button bits: OK; OK, Cancel; Abort, Retry, Ignore;
  // Yes, No, Cancel; Yes, No; Retry, Cancel.
  static const MessageBoxButtons kSets[] = {
      {{{"OK", kOk}}, 0, kOk},
      {{{"OK", kOk}, {"Отмена", kCancel}}, 0, kCancel},
      {{{"Прервать", kAbort}, {"Повтор", kRetry}, {"Пропустить", kIgnore}}, 0, kIgnore},
      {{{"Да", kYes}, {"Нет", kNo}, {"Отмена", kCancel}}, 0, kCancel},
      {{{"Да", kYes}, {"Нет", kNo}}, 0, kNo},
      {{{"Повтор", kRetry}, {"Отмена", kCancel}}, 0, kCancel},
  };
  const int set = style & 0xF;
  MessageBoxButtons chosen = set < 6 ? kSets[set] : kSets[0];
  // The default-button bits (256: the second, 512: the third).
  const int defaultButton = (style >> 8) & 0xF;
  chosen.enterIndex = std::min(defaultButton, static_cast<int>(chosen.buttons.size()) - 1);
  return chosen;
}

MessageBoxIcon IconOfStyle(int style) {
  const int icon = (style & 0xF0) >> 4;
  return icon < 5 ? static_cast<MessageBoxIcon>(icon) : MessageBoxIcon::None;
}

}  // namespace verolink

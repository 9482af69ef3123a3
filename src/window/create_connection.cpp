#include "window/create_connection.h"

#include "common/message_boxes.h"
#include "desktop/desktop_shortcut.h"
#include "desktop/firewall.h"
#include "phonebook/error_text.h"
#include "pppoe/pppoe_entry.h"
#include "window/entry_exists.h"
#include "window/main_form.h"

namespace verolink {

namespace {

// Asks to delete the existing entry and deletes it with its shortcut; false
// when the workflow ends here (the user declined, or the deletion failed).
bool RemoveExistingEntry(Platform& platform, const Text& name, const ОсновнаяФорма& form) {
  const Text question = u"Подключение " + name +
                        u" существует! Для создания подключения необходимо его удалить! "
                        u"Удалить сейчас?";
  if (platform.messageBoxes.Show(question, kMbYesNo | kMbQuestion, form.Caption()) != kAnswerYes) {
    return false;
  }
  Wsh::DeleteDesktopShortcut(platform, name);
  if (platform.phonebook.DeleteEntry(platform.codePage.ToAnsi(name)) != kRasSuccess) {
    platform.messageBoxes.Show(u"Ошибка удаления подключения!", kMbCritical | kMbOkOnly,
                               form.Caption());
    return false;
  }
  return true;
}

bool Ticked(const ОсновнаяФорма& form, ControlId box) {
  return form.CheckValue(box) == kCheckTicked;
}

}  // namespace

void CreateConnection(Platform& platform, const Profile& profile, const ОсновнаяФорма& form) {
  const Text& name = profile.ConnectionName;
  RasError listingFailure = kRasSuccess;
  const bool exists = EntryExists(platform, name, listingFailure);
  if (listingFailure != kRasSuccess) {
    // Without the listing nobody knows whether the write would replace an
    // entry unasked; nothing is deleted or written.
    platform.messageBoxes.Show(modRASVPN::ShownErrorText(platform, listingFailure),
                               kMbCritical | kMbOkOnly, form.Caption());
    return;
  }
  if (exists && !RemoveExistingEntry(platform, name, form)) return;

  // Lets the window repaint after the question box.
  platform.eventPump.ProcessPendingEvents();

  // A refused write has been shown with the phonebook's text; the extras and
  // the success message would only mislead.
  if (!PPPoE::CreatePPPoEEntry(platform, profile)) return;

  platform.sleeper.SleepMilliseconds(kStepPauseMs);
  if (Ticked(form, ControlId::Ярлык)) Shells::CreateDesktopShortcut(platform, profile);
  platform.sleeper.SleepMilliseconds(kStepPauseMs);
  if (Ticked(form, ControlId::ВключитьФайервол)) IpFw::RestartFirewall(platform);

  platform.messageBoxes.Show(u"Подключение создано.", kMbInformation | kMbOkOnly, form.Caption());
}

}  // namespace verolink

#include "window/layout.h"

namespace verolink {

const WindowLayout& MainWindowLayout() {
  static const WindowLayout layout{
      4515,
      3000,
      u"Verolink VPN & PPPoE",
      {{
          {ControlId::КнопкаСоздатьПодключение,
           "КнопкаСоздатьПодключение",
           ControlKind::PushButton,
           {120, 2400, 4275, 495},
           0,
           u"Создать подключение",
           u"Создать подключение с выбранными параметрами",
           0},
          {ControlId::Ярлык,
           "Ярлык",
           ControlKind::CheckBox,
           {360, 2040, 3255, 255},
           1,
           u"Ярлык на рабочий стол",
           u"",
           1},
          {ControlId::ВключитьФайервол,
           "ВключитьФайервол",
           ControlKind::CheckBox,
           {360, 1680, 3375, 255},
           2,
           u"Включить брандмауэр",
           u"Должна быть запущенна служба Брандмауэр Windows",
           1},
          {ControlId::Image1, "Image1", ControlKind::Picture, {0, 0, 4500, 1500}, -1, u"", u"", 0},
      }},
      {{
          {RuleId::Line1, "Line1", 0, 1500, 4560, 1500, SystemColour::Background},
          {RuleId::Line2, "Line2", 0, 1515, 4560, 1515, SystemColour::InactiveCaption},
      }},
      101,
  };
  return layout;
}

const ControlLayout& ControlOf(ControlId id) {
  for (const auto& control : MainWindowLayout().controls) {
    if (control.id == id) return control;
  }
  return MainWindowLayout().controls.back();
}

}  // namespace verolink

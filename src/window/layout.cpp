#include "window/layout.h"

#include <algorithm>

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

namespace {

struct Placed {
  const ControlLayout* control;
  const RuleLayout* rule;
  int top, left, width, height;  // pixels
};

std::vector<Placed> PlacedByTop() {
  const WindowLayout& layout = MainWindowLayout();
  const int clientWidth = TwipsToPixels(layout.clientWidth);
  std::vector<Placed> placed;
  for (const auto& c : layout.controls) {
    placed.push_back({&c, nullptr, TwipsToPixels(c.twips.top), TwipsToPixels(c.twips.left),
                      TwipsToPixels(c.twips.width), TwipsToPixels(c.twips.height)});
  }
  for (const auto& r : layout.rules) {
    const int left = TwipsToPixels(r.x1);
    placed.push_back({nullptr, &r, TwipsToPixels(r.y1), left,
                      std::min(TwipsToPixels(r.x2), clientWidth) - left, 1});
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.top < b.top; });
  return placed;
}

}  // namespace

std::vector<StackedItem> StackedFromTop() {
  std::vector<StackedItem> items;
  int bottom = 0;
  for (const Placed& p : PlacedByTop()) {
    items.push_back({p.control, p.rule, std::max(0, p.top - bottom), p.left, p.width, p.height});
    bottom = std::max(bottom, p.top + p.height);
  }
  return items;
}

int StackedBottomGap() {
  int bottom = 0;
  for (const Placed& p : PlacedByTop()) bottom = std::max(bottom, p.top + p.height);
  return std::max(0, TwipsToPixels(MainWindowLayout().clientHeight) - bottom);
}

}  // namespace verolink

// The window's design as toolkits that stack its controls read it, and the
// message boxes' buttons.

#include <gtest/gtest.h>

#include "common/message_box_buttons.h"
#include "common/message_boxes.h"
#include "window/layout.h"

namespace verolink {
namespace {

TEST(StackedLayout, RebuildsTheDesignFromTheTopWithRulesClippedToTheClientArea) {
  const auto items = StackedFromTop();
  ASSERT_EQ(items.size(), 6u);
  // Banner, the two rules, ВключитьФайервол, Ярлык, the button.
  EXPECT_EQ(items[0].control->id, ControlId::Image1);
  EXPECT_EQ(items[1].rule->id, RuleId::Line1);
  EXPECT_EQ(items[2].rule->id, RuleId::Line2);
  EXPECT_EQ(items[3].control->id, ControlId::ВключитьФайервол);
  EXPECT_EQ(items[4].control->id, ControlId::Ярлык);
  EXPECT_EQ(items[5].control->id, ControlId::КнопкаСоздатьПодключение);
  int top = 0;
  std::vector<int> tops;
  for (const auto& item : items) {
    top += item.gapAbove;
    tops.push_back(top);
    top += item.height;
  }
  EXPECT_EQ(tops, (std::vector<int>{0, 100, 101, 112, 136, 160}));
  EXPECT_EQ(items[1].width, 301);
  EXPECT_EQ(items[5].left, 8);
  EXPECT_EQ(items[5].width, 285);
  EXPECT_EQ(items[5].height, 33);
  EXPECT_EQ(top + StackedBottomGap(), 200);
}

TEST(MessageBoxButtons, EnterGivesTheDefaultAndEscapeTheCancellingAnswer) {
  const auto ok = ButtonsOfStyle(kMbOkOnly | kMbInformation);
  ASSERT_EQ(ok.buttons.size(), 1u);
  EXPECT_STREQ(ok.buttons[0].label, "OK");
  EXPECT_EQ(ok.escapeAnswer, kAnswerOk);
  EXPECT_EQ(IconOfStyle(kMbInformation), MessageBoxIcon::Information);

  const auto yesNo = ButtonsOfStyle(kMbYesNo | kMbQuestion);
  ASSERT_EQ(yesNo.buttons.size(), 2u);
  EXPECT_STREQ(yesNo.buttons[0].label, "Да");
  EXPECT_STREQ(yesNo.buttons[1].label, "Нет");
  EXPECT_EQ(yesNo.buttons[yesNo.enterIndex].answer, kAnswerYes);
  EXPECT_EQ(yesNo.escapeAnswer, kAnswerNo);
  EXPECT_EQ(ButtonsOfStyle(kMbYesNo | 256).enterIndex, 1);  // the second button as default
  EXPECT_EQ(IconOfStyle(kMbCritical), MessageBoxIcon::Critical);
}

}  // namespace
}  // namespace verolink

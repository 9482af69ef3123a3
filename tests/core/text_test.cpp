#include "common/text.h"

#include <gtest/gtest.h>

namespace verolink {
namespace {

TEST(Text, Utf8RoundTripKeepsCyrillicAndAstralCharacters) {
  const Text text = u"Минипорт WAN (PPPoE) \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"Подключение"), "Подключение");
}

TEST(Text, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b"),
            u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xD0"), u"\uFFFD");                 // cut-off sequence
  EXPECT_EQ(ToUtf8(Text(1, u'\xD800')), "\xEF\xBF\xBD");  // lone surrogate
}

TEST(Text, TrimRemovesOnlyBlanksAtBothEnds) {
  EXPECT_EQ(TrimSpaces(u"  pelkar  "), u"pelkar");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
  EXPECT_EQ(TrimSpaces(u"\tpel kar\t"), u"\tpel kar\t");
}

TEST(Text, DecimalHasSignOnlyWhenNegative) {
  EXPECT_EQ(ToDecimal(603), u"603");
  EXPECT_EQ(ToDecimal(-1), u"-1");
  EXPECT_EQ(ToDecimal(0), u"0");
}

}  // namespace
}  // namespace verolink

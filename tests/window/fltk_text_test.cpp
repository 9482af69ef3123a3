// Texts as the FLTK widgets and message boxes get them.

#include "fltk_text.h"

#include <gtest/gtest.h>

namespace verolink::host {
namespace {

TEST(FltkDrawnText, DoublesSymbolMarkersAndLeavesTheRest) {
  EXPECT_EQ(FltkDrawnText(u"Открыть сайт компании: http://user@host/"),
            "Открыть сайт компании: http://user@@host/");
  EXPECT_EQ(FltkDrawnText(u"@@ & 100%"), "@@@@ & 100%");
}

TEST(WrapToWidth, BreaksAtBlanksKeepsLineBreaksAndLongWords) {
  const auto bytes = [](std::string_view s) { return static_cast<double>(s.size()); };
  EXPECT_EQ(WrapToWidth("aaa bbb ccc", 7, bytes), "aaa bbb\nccc");
  EXPECT_EQ(WrapToWidth("aaa\nbbb ccc", 100, bytes), "aaa\nbbb ccc");
  EXPECT_EQ(WrapToWidth("a verylongword b", 5, bytes), "a\nverylongword\nb");
  EXPECT_EQ(WrapToWidth("", 5, bytes), "");
  EXPECT_EQ(WrapToWidth("end\n", 5, bytes), "end\n");
}

}  // namespace
}  // namespace verolink::host

#include "phonebook/error_text.h"

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"

namespace verolink::testing {
namespace {

using modRASVPN::RasErrorText;

TEST(RasErrorText, NumbersUpTo600AreTheSystemsAndAboveThePhonebooks) {
  FakePlatform fake;
  Platform p = fake.platform();
  for (const RasError code : {600, 0, -1}) RasErrorText(p, code);
  for (const RasError code : {601, 632}) RasErrorText(p, code);
  EXPECT_EQ(fake.systemMessages.calls, (std::vector<std::uint32_t>{600, 0, 0xFFFFFFFF}));
  EXPECT_EQ(fake.phonebook.errorTextCalls, (std::vector<std::uint32_t>{601, 632}));
}

TEST(RasErrorText, ReturnsTheTextAsWrittenThroughTheCodePage) {
  FakePlatform fake;
  Platform p = fake.platform();
  fake.systemMessages.texts[5] =
      "\xCE\xF2\xEA\xE0\xE7\xE0\xED\xEE \xE2 \xE4\xEE\xF1\xF2\xF3\xEF\xE5.\r\n";
  fake.phonebook.errorTexts[623] = std::string(511, 'x');
  EXPECT_EQ(RasErrorText(p, 5), u"Отказано в доступе.\r\n");  // line break kept
  EXPECT_EQ(RasErrorText(p, 623), Text(511, u'x'));           // the longest that fits
  EXPECT_EQ(RasErrorText(p, 7), u"");                         // nothing written
  EXPECT_EQ(RasErrorText(p, 700), u"");
}

// What the user reads in a box: the source's text as it is, or the number
// when the source gives nothing readable.
TEST(ShownErrorText, SourceTextUnchangedElseTheNumberInRussian) {
  FakePlatform fake;
  Platform p = fake.platform();
  fake.phonebook.errorTexts[621] = "Cannot open the phone book file.\r\n";
  fake.phonebook.errorTexts[633] = " \r\n";
  EXPECT_EQ(modRASVPN::ShownErrorText(p, 621), u"Cannot open the phone book file.\r\n");
  EXPECT_EQ(modRASVPN::ShownErrorText(p, 632), u"Ошибка 632.");  // Wine has no text for it
  EXPECT_EQ(modRASVPN::ShownErrorText(p, 633), u"Ошибка 633.");
  EXPECT_EQ(modRASVPN::ShownErrorText(p, 87), u"Ошибка 87.");
  EXPECT_EQ(modRASVPN::ShownErrorText(p, -2), u"Ошибка -2.");
}

// Checks what a message source is handed: 512 zero bytes and one more zero.
class CheckingMessages : public SystemMessages {
 public:
  bool zeroed = false;
  std::uint32_t size = 0;
  void FormatFromSystem(std::uint32_t, char* buffer, std::uint32_t bufferSize) override {
    size = bufferSize;
    zeroed = true;
    for (std::uint32_t i = 0; i <= bufferSize; ++i) zeroed = zeroed && buffer[i] == 0;
  }
};

TEST(RasErrorText, HandsOverAZeroFilledBufferOf512Bytes) {
  FakePlatform fake;
  CheckingMessages messages;
  Platform p = fake.platform();
  Platform checked{p.phonebook,  messages,  p.memory,        p.eventLog, p.codePage,
                   p.automation, p.files,   p.processes,     p.browser,  p.messageBoxes,
                   p.eventPump,  p.sleeper, p.commonControls};
  EXPECT_EQ(RasErrorText(checked, 87), u"");
  EXPECT_EQ(messages.size, 512u);
  EXPECT_TRUE(messages.zeroed);
}

}  // namespace
}  // namespace verolink::testing

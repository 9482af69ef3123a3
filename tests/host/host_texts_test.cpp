// The host code page, the phonebook's error texts, the system message table
// and memory blocks.

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "host/phonebook/host_phonebook.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/system/host_code_page.h"
#include "host/system/host_facilities.h"
#include "host_test_support.h"

namespace verolink::host::testing {
namespace {

TEST(HostCodePage, Windows1251RoundTripsCyrillicAndMarksTheRest) {
  const HostCodePage& cp = Cp1251();
  const Text device = u"Минипорт WAN (PPPoE) Ёё №€";
  const std::string ansi = cp.ToAnsi(device);
  EXPECT_EQ(ansi, "\xCC\xE8\xED\xE8\xEF\xEE\xF0\xF2 WAN (PPPoE) \xA8\xB8 \xB9\x88");
  EXPECT_EQ(cp.FromAnsi(ansi), device);

  // One '?' per UTF-16 unit the code page lacks, surrogate halves included.
  EXPECT_EQ(cp.ToAnsi(u"é中\U0001F600ї"), "??\x3F\x3F\xBF");
  EXPECT_EQ(cp.ToAnsi(u"é"), "?");
  // 0x98 is the one byte Windows-1251 leaves undefined.
  EXPECT_EQ(cp.FromAnsi("\x98"), u"\uFFFD");
  EXPECT_EQ(cp.ToAnsi(std::u16string(1, u'\0')), std::string(1, '\0'));
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(cp.ToAnsi(cp.FromAnsi(byte)), byte) << b;
  }
}

TEST(HostCodePage, EnvironmentChoosesTheCodePageAndFallsBack) {
  {
    ScopedVariable koi("VEROLINK_CODE_PAGE", "KOI8-R");
    const HostCodePage cp = HostCodePage::FromEnvironment();
    EXPECT_EQ(cp.name(), "KOI8-R");
    EXPECT_EQ(cp.ToAnsi(u"А"), "\xE1");
  }
  {
    ScopedVariable unknown("VEROLINK_CODE_PAGE", "NO-SUCH-CODE-PAGE");
    EXPECT_EQ(HostCodePage::FromEnvironment().name(), "WINDOWS-1251");
  }
  ScopedVariable unset("VEROLINK_CODE_PAGE", std::nullopt);
  EXPECT_EQ(HostCodePage::FromEnvironment().ToAnsi(u"Я"), "\xDF");
  EXPECT_THROW(HostCodePage("NO-SUCH-CODE-PAGE"), std::runtime_error);
}

TEST(HostPhonebookErrors, EachNumberHasItsOwnRussianText) {
  HostPhonebook phonebook("/nonexistent/phonebook.pbk", 2884, Cp1251());
  std::set<Text> texts;
  for (RasError code : {kErrorBufferTooSmall, kErrorWrongInfoSpecified, kErrorBufferInvalid,
                        kErrorCannotOpenPhonebook, kErrorCannotFindPhonebookEntry,
                        kErrorCannotWritePhonebook, kErrorCorruptPhonebook, kErrorInvalidSize}) {
    char buffer[513];
    std::memset(buffer, 0x55, sizeof buffer);
    phonebook.GetErrorString(code, buffer, 512);
    ASSERT_NE(std::memchr(buffer, 0, 512), nullptr) << code;
    const Text text = Cp1251().FromAnsi(buffer);
    EXPECT_EQ(text, PhonebookErrorText(code));
    EXPECT_GT(text.size(), 10u) << code;
    EXPECT_EQ(Cp1251().ToAnsi(text).find('?'), std::string::npos) << "outside the code page";
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), 8u);
  EXPECT_EQ(PhonebookErrorText(650), u"Ошибка удалённого доступа 650.");
  EXPECT_EQ(PhonebookErrorText(601), u"Ошибка удалённого доступа 601.");
  EXPECT_EQ(PhonebookErrorText(600), u"");
}

TEST(HostPhonebookErrors, TextsAreCutToTheBufferAndZeroEnded) {
  HostPhonebook phonebook("/nonexistent/phonebook.pbk", 2884, Cp1251());
  char buffer[16];
  std::memset(buffer, 0x55, sizeof buffer);
  phonebook.GetErrorString(kErrorCorruptPhonebook, buffer, 8);
  EXPECT_EQ(buffer[7], '\0');
  EXPECT_EQ(Cp1251().FromAnsi(buffer), u"Файл те");
  EXPECT_EQ(buffer[8], 0x55);

  std::memset(buffer, 0x55, sizeof buffer);
  phonebook.GetErrorString(kErrorCorruptPhonebook, buffer, 0);
  EXPECT_EQ(buffer[0], 0x55);
  phonebook.GetErrorString(600, buffer, 16);
  EXPECT_EQ(buffer[0], '\0');
}

TEST(HostSystemMessages, KnownNumbersEndInCrLfOthersLeaveTheBuffer) {
  HostSystemMessages messages(Cp1251());
  char buffer[512];
  std::memset(buffer, 0x55, sizeof buffer);
  messages.FormatFromSystem(0, buffer, sizeof buffer);
  EXPECT_EQ(Cp1251().FromAnsi(buffer), u"Операция успешно завершена.\r\n");
  for (std::uint32_t code : {1u, 2u, 3u, 5u, 8u, 87u, 112u, 123u}) {
    std::memset(buffer, 0x55, sizeof buffer);
    messages.FormatFromSystem(code, buffer, sizeof buffer);
    const std::string text(buffer);
    EXPECT_GT(text.size(), 4u) << code;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
  }
  std::memset(buffer, 0x55, sizeof buffer);
  for (std::uint32_t code : {7u, 600u, 601u, 99999u}) {
    messages.FormatFromSystem(code, buffer, sizeof buffer);
    EXPECT_EQ(buffer[0], 0x55) << code;
  }
  messages.FormatFromSystem(5, buffer, 4);
  EXPECT_EQ(Cp1251().FromAnsi(buffer), u"Отк");
  EXPECT_EQ(buffer[4], 0x55);
}

TEST(HostMemoryBlocks, BlocksAreZeroFilledAndOwnTheirBytes) {
  HostMemoryBlocks memory;
  std::uint8_t* block = memory.AllocateZeroed(4096);
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(block[i], 0);
  std::uint8_t* empty = memory.AllocateZeroed(0);
  EXPECT_NE(empty, nullptr);
  memory.Release(empty);
  memory.Release(block);
}

}  // namespace
}  // namespace verolink::host::testing

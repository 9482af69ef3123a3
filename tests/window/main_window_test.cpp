// The FLTK window's wiring to the form, without a display: widgets are made
// and their callbacks run, but nothing is shown.

#include "main_window.h"

#include <FL/Fl_Check_Button.H>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "doubles/fake_platform.h"

namespace verolink::host {
namespace {

struct WindowFixture : ::testing::Test {
  testing::FakePlatform fake;
  Platform platform = fake.platform();
  Profile profile = basMain::BuiltInProfile();
  ОсновнаяФорма form{platform, profile};

  Fl_Widget& ChildAt(MainWindow& window, int index) { return *window.child(index); }
};

TEST_F(WindowFixture, ChildrenFollowTheTabOrderWithTheFormsTexts) {
  form.Load();
  MainWindow window(form, fake.messageBoxes);
  ASSERT_EQ(window.children(), 4);
  EXPECT_STREQ(window.label(), "Verolink PPPoE 1.00");
  EXPECT_STREQ(ChildAt(window, 0).label(), "Создать PPPoE подключение к Интернет");
  EXPECT_STREQ(ChildAt(window, 1).label(), "Ярлык на рабочий стол");
  EXPECT_STREQ(ChildAt(window, 2).label(), "Включить брандмауэр");
  EXPECT_EQ(static_cast<Fl_Check_Button&>(ChildAt(window, 1)).value(), 1);
  EXPECT_EQ(static_cast<Fl_Check_Button&>(ChildAt(window, 2)).value(), 1);
  EXPECT_STREQ(ChildAt(window, 0).tooltip(), "Создать подключение с выбранными параметрами");
  EXPECT_EQ(ChildAt(window, 1).tooltip(), nullptr);
  EXPECT_EQ(std::string(ChildAt(window, 3).tooltip()), ToUtf8(form.ToolTip(ControlId::Image1)));
  EXPECT_EQ(ChildAt(window, 0).x(), 8);
  EXPECT_EQ(ChildAt(window, 0).y(), 160);
  EXPECT_EQ(ChildAt(window, 0).w(), 285);
  EXPECT_EQ(ChildAt(window, 0).h(), 33);
  EXPECT_EQ(ChildAt(window, 3).w(), 300);
  EXPECT_EQ(ChildAt(window, 3).h(), 100);
}

TEST_F(WindowFixture, CheckBoxChangesReachTheForm) {
  form.Load();
  MainWindow window(form, fake.messageBoxes);
  auto& shortcut = static_cast<Fl_Check_Button&>(ChildAt(window, 1));
  shortcut.value(0);
  shortcut.do_callback();
  EXPECT_EQ(form.CheckValue(ControlId::Ярлык), 0);
  EXPECT_EQ(form.CheckValue(ControlId::ВключитьФайервол), 1);
}

TEST_F(WindowFixture, AnErrorInsideTheWorkflowIsShownAndTheWindowGoesOn) {
  fake.phonebook.enumOverride = [](std::uint8_t*, std::uint32_t&, std::uint32_t&) -> RasError {
    throw PlatformError("rasapi32.dll не найдена");
  };
  form.Load();
  MainWindow window(form, fake.messageBoxes);
  ChildAt(window, 0).do_callback();
  ASSERT_EQ(fake.messageBoxes.shown.size(), 1u);
  EXPECT_EQ(fake.messageBoxes.shown[0].text, u"rasapi32.dll не найдена");
  EXPECT_EQ(fake.messageBoxes.shown[0].style, kMbCritical);
  EXPECT_EQ(fake.messageBoxes.shown[0].title, u"Verolink PPPoE 1.00");
  EXPECT_FALSE(form.Busy());
}

}  // namespace
}  // namespace verolink::host

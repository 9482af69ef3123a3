#include "window/main_form.h"

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"
#include "start/application.h"
#include "window/form_texts.h"
#include "window/visual_styles.h"

namespace verolink {
namespace {

using testing::FakePlatform;

constexpr char16_t kInvitation[] =
    u"Здесь может быть ссылка на ваш сервер. Перейти на сайт программы: ";
constexpr char16_t kCompanySite[] = u"Открыть сайт компании: ";

Profile WithSite(const Text& siteUrl) {
  Profile p = basMain::BuiltInProfile();
  p.SiteUrl = siteUrl;
  return p;
}

class MainForm : public ::testing::Test {
 protected:
  FakePlatform fake;
  Platform platform = fake.platform();
};

TEST_F(MainForm, LoadSetsCaptionsCursorAndKeepsBothBoxesTicked) {
  const Profile profile = WithSite(HomePageUrl());
  ОсновнаяФорма form(platform, profile);
  EXPECT_EQ(form.Caption(), u"Verolink VPN & PPPoE");
  EXPECT_EQ(form.BannerCursorResource(), 0);

  form.Initialize();
  form.Load();
  EXPECT_EQ(form.Caption(), u"Verolink PPPoE 1.00");
  EXPECT_EQ(form.ControlCaption(ControlId::КнопкаСоздатьПодключение),
            u"Создать PPPoE подключение к Интернет");
  EXPECT_EQ(form.ControlCaption(ControlId::Ярлык), u"Ярлык на рабочий стол");
  EXPECT_EQ(form.ToolTip(ControlId::ВключитьФайервол),
            u"Должна быть запущенна служба Брандмауэр Windows");
  EXPECT_EQ(form.ToolTip(ControlId::Image1), kInvitation + HomePageUrl());
  EXPECT_EQ(form.BannerCursorResource(), 101);
  EXPECT_EQ(form.CheckValue(ControlId::Ярлык), 1);
  EXPECT_EQ(form.CheckValue(ControlId::ВключитьФайервол), 1);
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST(WindowCaption, ShowsOnlyTheMajorVersion) {
  EXPECT_EQ(MainWindowCaption({u"Verolink", 2, 0, 0}), u"Verolink PPPoE 2.00");
  EXPECT_EQ(MainWindowCaption({u"Verolink", 1, 5, 22}), u"Verolink PPPoE 1.00");
}

TEST(BannerToolTip, InvitesOnlyForExactlyTheHomePage) {
  const Text home = u"http://www.verolink.example/";
  EXPECT_EQ(BannerToolTip(home, home), kInvitation + home);
  EXPECT_EQ(BannerToolTip(u"http://www.Verolink.example/", home),
            Text(kCompanySite) + u"http://www.Verolink.example/");
  EXPECT_EQ(BannerToolTip(u"http://www.verolink.example", home),
            Text(kCompanySite) + u"http://www.verolink.example");
  EXPECT_EQ(BannerToolTip(home + u"/", home), Text(kCompanySite) + home + u"/");
  EXPECT_EQ(BannerToolTip(u"", home), kCompanySite);
}

TEST_F(MainForm, BannerClickOpensTheSiteMaximisedAndSwallowsFailures) {
  const Profile profile = WithSite(u"http://пелкар.example/");
  ОсновнаяФорма form(platform, profile);
  form.Load();
  form.OnBannerClick();
  ASSERT_EQ(fake.browser.calls.size(), 1u);
  const auto& call = fake.browser.calls[0];
  EXPECT_EQ(call.verb, "open");
  EXPECT_EQ(call.file, fake.codePage.ToAnsi(u"http://пелкар.example/"));
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, "");
  EXPECT_EQ(call.showCommand, 3);

  fake.browser.fails = true;
  EXPECT_NO_THROW(form.OnBannerClick());
  EXPECT_EQ(fake.browser.calls.size(), 2u);
  EXPECT_TRUE(fake.messageBoxes.shown.empty());
}

TEST_F(MainForm, VisualStylesPrepareUserExClassesAndSwallowAMissingLibrary) {
  EXPECT_TRUE(XPStile::InitVisualStyles(platform));
  ASSERT_EQ(fake.commonControls.calls.size(), 1u);
  EXPECT_EQ(fake.commonControls.calls[0].size, 8u);
  EXPECT_EQ(fake.commonControls.calls[0].classes, 0x200u);

  fake.commonControls.missing = true;
  EXPECT_FALSE(XPStile::InitVisualStyles(platform));
  const Profile profile = basMain::BuiltInProfile();
  ОсновнаяФорма form(platform, profile);
  EXPECT_NO_THROW(form.Initialize());
}

}  // namespace
}  // namespace verolink

#include <gtest/gtest.h>

#include "doubles/fake_platform.h"
#include "start/main.h"
#include "start/profile.h"

namespace verolink {
namespace {

// Records what the form held when start-up asked for its screen window and
// when it asked to show it.
class RecordingShell : public MainWindowShell {
 public:
  explicit RecordingShell(testing::CallLog& log) : log_(log) {}
  void Create(ОсновнаяФорма& form) override {
    log_.push_back("CreateWindow:" + ToUtf8(form.Caption()));
  }
  void Show(ОсновнаяФорма& form) override {
    log_.push_back("ShowWindow:" + ToUtf8(form.Caption()));
  }

 private:
  testing::CallLog& log_;
};

TEST(StartUp, FillsTheProfileThenCreatesLoadsAndShowsTheWindow) {
  basMain::SetCurrentProfile({});
  testing::FakePlatform fake;
  Platform platform = fake.platform();
  RecordingShell shell(fake.log);

  const auto form = basMain::Main(platform, shell);

  const Profile& profile = basMain::CurrentProfile();
  EXPECT_EQ(profile.IspName, u"Pelkar");
  EXPECT_EQ(profile.ConnectionName, u"Pelkar INTERNET");
  EXPECT_EQ(profile.ServiceName, u"pelkar");
  EXPECT_FALSE(profile.SiteUrl.empty());
  // Visual styles before the screen window exists; the texts are loaded
  // before the window first shows.
  EXPECT_EQ(fake.log, (testing::CallLog{"InitCommonControlsEx", "CreateWindow:Verolink VPN & PPPoE",
                                        "ShowWindow:Verolink PPPoE 1.00"}));
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->BannerCursorResource(), 101);
}

}  // namespace
}  // namespace verolink

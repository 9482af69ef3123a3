// The embedded resources, and the pixels the window takes from them.

#include "resource_images.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "window/resources.h"

namespace verolink::host {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A file of src/window/res, or of the provider's pictures as this build
// converted them.
Bytes FileBytes(const std::string& folder, const std::string& name) {
  std::ifstream in(folder + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes Of(std::span<const std::uint8_t> span) { return Bytes(span.begin(), span.end()); }

std::array<int, 3> RgbAt(const Picture& image, int x, int y) {
  const std::uint8_t* p = &image.pixels[3 * (y * image.width + x)];
  return {p[0], p[1], p[2]};
}

std::array<int, 4> RgbaAt(const Picture& image, int x, int y) {
  const std::uint8_t* p = &image.pixels[4 * (y * image.width + x)];
  return {p[0], p[1], p[2], p[3]};
}

TEST(EmbeddedResources, AreTheCommittedFilesByteForByte) {
  EXPECT_EQ(Of(resources::BannerPng()), FileBytes(VEROLINK_PROVIDER_FILES, "banner.png"));
  EXPECT_EQ(Of(resources::ProgramIconPng()), FileBytes(VEROLINK_PROVIDER_FILES, "verolink.png"));
  EXPECT_EQ(Of(resources::HandCursorPng()), FileBytes(VEROLINK_RESOURCE_DIR, "hand.png"));
  EXPECT_EQ(Of(resources::ApplicationManifest()),
            FileBytes(VEROLINK_RESOURCE_DIR, "verolink.manifest"));
}

TEST(BannerPicture, BannerComesOutTopRowFirst) {
  const auto banner = BannerPicture();
  ASSERT_TRUE(banner);
  EXPECT_EQ(banner->width, 301);
  EXPECT_EQ(banner->height, 98);
  EXPECT_EQ(RgbAt(*banner, 0, 0), (std::array<int, 3>{255, 255, 255}));    // white ground
  EXPECT_EQ(RgbAt(*banner, 0, 97), (std::array<int, 3>{27, 54, 93}));      // the band's navy end
  EXPECT_EQ(RgbAt(*banner, 300, 97), (std::array<int, 3>{31, 162, 184}));  // its teal end
}

TEST(BannerPicture, StretchToTheBannerFrameKeepsTheCornersAndEdges) {
  const auto banner = BannerPicture();
  ASSERT_TRUE(banner);
  const Picture framed = Stretch(*banner, 300, 100);
  EXPECT_EQ(framed.width, 300);
  EXPECT_EQ(framed.height, 100);
  EXPECT_EQ(RgbAt(framed, 0, 0), RgbAt(*banner, 0, 0));
  EXPECT_EQ(RgbAt(framed, 0, 99), RgbAt(*banner, 0, 97));
  EXPECT_EQ(RgbAt(framed, 299, 99), RgbAt(*banner, 300, 97));
}

TEST(IconAndCursor, HandCursorHasItsHotSpotOnTheBlackFingertip) {
  const auto hand = CursorResource(101);
  ASSERT_TRUE(hand);
  EXPECT_EQ(hand->width, 32);
  EXPECT_EQ(hand->height, 32);
  EXPECT_EQ(hand->hotX, 5);
  EXPECT_EQ(hand->hotY, 0);
  EXPECT_EQ(RgbaAt(*hand, 5, 0), (std::array<int, 4>{0, 0, 0, 255}));
  EXPECT_EQ(RgbaAt(*hand, 5, 5), (std::array<int, 4>{255, 255, 255, 255}));
  EXPECT_EQ(RgbaAt(*hand, 0, 0)[3], 0);
  EXPECT_EQ(RgbaAt(*hand, 31, 31)[3], 0);
  EXPECT_FALSE(CursorResource(102));
}

TEST(IconAndCursor, ProgramIconIsRoundWithTransparentCorners) {
  const auto icon = ProgramIconImage();
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->width, 48);
  EXPECT_EQ(icon->height, 48);
  EXPECT_EQ(RgbaAt(*icon, 0, 0)[3], 0);
  EXPECT_EQ(RgbaAt(*icon, 47, 47)[3], 0);
  EXPECT_EQ(RgbaAt(*icon, 24, 4)[3], 255);
}

}  // namespace
}  // namespace verolink::host

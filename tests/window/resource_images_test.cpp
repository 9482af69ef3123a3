// The embedded resources, and the pictures the window makes of them.

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

// A texture's pixel as R, G, B, A.
std::array<int, 4> RgbaAt(GdkTexture* texture, int x, int y) {
  const int w = gdk_texture_get_width(texture);
  std::vector<std::uint8_t> pixels(std::size_t{4} * w * gdk_texture_get_height(texture));
  gdk_texture_download(texture, pixels.data(), std::size_t{4} * w);
  const std::uint8_t* p = &pixels[std::size_t{4} * (y * w + x)];  // B, G, R, A in memory
  return {p[2], p[1], p[0], p[3]};
}

TEST(EmbeddedResources, AreTheCommittedFilesByteForByte) {
  EXPECT_EQ(Of(resources::BannerPng()), FileBytes(VEROLINK_PROVIDER_FILES, "banner.png"));
  EXPECT_EQ(Of(resources::ProgramIconPng()), FileBytes(VEROLINK_PROVIDER_FILES, "verolink.png"));
  EXPECT_EQ(Of(resources::HandCursorPng()), FileBytes(VEROLINK_RESOURCE_DIR, "hand.png"));
  EXPECT_EQ(Of(resources::ApplicationManifest()),
            FileBytes(VEROLINK_RESOURCE_DIR, "verolink.manifest"));
}

TEST(Pictures, BannerAndHandCursorAsGtkTakesThem) {
  GdkTexture* banner = TextureOf(resources::BannerPng());
  ASSERT_TRUE(banner);
  EXPECT_EQ(gdk_texture_get_width(banner), 301);
  EXPECT_EQ(gdk_texture_get_height(banner), 98);
  EXPECT_EQ(RgbaAt(banner, 0, 0), (std::array<int, 4>{255, 255, 255, 255}));  // white ground
  EXPECT_EQ(RgbaAt(banner, 0, 97), (std::array<int, 4>{27, 54, 93, 255}));    // the band's navy end
  EXPECT_EQ(RgbaAt(banner, 300, 97), (std::array<int, 4>{31, 162, 184, 255}));  // its teal end
  g_object_unref(banner);

  GdkCursor* hand = CursorResource(101);
  ASSERT_TRUE(hand);
  EXPECT_EQ(gdk_cursor_get_hotspot_x(hand), 5);
  EXPECT_EQ(gdk_cursor_get_hotspot_y(hand), 0);
  GdkTexture* picture = gdk_cursor_get_texture(hand);
  EXPECT_EQ(RgbaAt(picture, 5, 0), (std::array<int, 4>{0, 0, 0, 255}));  // the black fingertip
  EXPECT_EQ(RgbaAt(picture, 0, 0)[3], 0);
  g_object_unref(hand);
  EXPECT_FALSE(CursorResource(102));
}

}  // namespace
}  // namespace verolink::host

#include "host/window/resource_images.h"

#include <FL/Fl_PNG_Image.H>

#include <algorithm>
#include <span>

#include "window/layout.h"
#include "window/resources.h"

namespace verolink::host {

namespace {

// A PNG's pixels at `depth` bytes each (3: RGB, 4: RGBA); nullopt when FLTK
// cannot read it or gives another depth.
std::optional<Picture> PngPixels(std::span<const std::uint8_t> png, int depth) {
  // No name: a named image would also be put among FLTK's shared images.
  Fl_PNG_Image image(nullptr, png.data(), static_cast<int>(png.size()));
  if (image.fail() || image.d() != depth || image.ld() != 0 || image.count() != 1) return {};
  const auto* data = reinterpret_cast<const std::uint8_t*>(image.data()[0]);
  Picture out;
  out.width = image.w();
  out.height = image.h();
  out.pixels.assign(data, data + std::size_t{1} * depth * image.w() * image.h());
  return out;
}

// Alpha of 128 and more is opaque, as the icon files' masks have it.
std::optional<Picture> MaskedPngPixels(std::span<const std::uint8_t> png) {
  auto image = PngPixels(png, 4);
  if (!image) return image;
  for (auto pixel = image->pixels.begin(); pixel != image->pixels.end(); pixel += 4) {
    if (pixel[3] < 128)
      std::fill_n(pixel, 4, 0);
    else
      pixel[3] = 255;
  }
  return image;
}

}  // namespace

std::optional<Picture> BannerPicture() { return PngPixels(resources::BannerPng(), 3); }

std::optional<Picture> ProgramIconImage() { return MaskedPngPixels(resources::ProgramIconPng()); }

std::optional<Picture> CursorResource(int number) {
  if (number != MainWindowLayout().bannerCursorResource) return std::nullopt;
  auto hand = MaskedPngPixels(resources::HandCursorPng());
  if (hand) hand->hotX = 5;  // the fingertip, at the top
  return hand;
}

Picture Stretch(const Picture& image, int width, int height) {
  Picture out{width, height, std::vector<std::uint8_t>(std::size_t{3} * width * height)};
  if (image.width <= 0 || image.height <= 0) return out;
  for (int y = 0; y < height; ++y) {
    // Sample at the centre of the target pixel.
    const long long sy = (2LL * y + 1) * image.height / (2LL * height);
    for (int x = 0; x < width; ++x) {
      const long long sx = (2LL * x + 1) * image.width / (2LL * width);
      const std::uint8_t* from = &image.pixels[3 * (sy * image.width + sx)];
      std::uint8_t* to = &out.pixels[3 * (static_cast<std::size_t>(y) * width + x)];
      std::copy_n(from, 3, to);
    }
  }
  return out;
}

}  // namespace verolink::host

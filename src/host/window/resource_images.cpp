#include "host/window/resource_images.h"

#include <FL/Fl_PNG_Image.H>

#include <algorithm>

#include "window/layout.h"
#include "window/resources.h"

namespace verolink::host {

namespace {

// Alpha of 128 and more is opaque, as the icon files' masks have it.
std::optional<RgbaImage> PngPixels(std::span<const std::uint8_t> png, int hotX = 0, int hotY = 0) {
  // No name: a named image would also be put among FLTK's shared images.
  Fl_PNG_Image image(nullptr, png.data(), static_cast<int>(png.size()));
  if (image.fail() || image.d() != 4 || image.ld() != 0 || image.count() != 1) return std::nullopt;
  const auto* data = reinterpret_cast<const std::uint8_t*>(image.data()[0]);
  RgbaImage out{
      image.w(), image.h(), {data, data + std::size_t{4} * image.w() * image.h()}, hotX, hotY};
  for (auto pixel = out.pixels.begin(); pixel != out.pixels.end(); pixel += 4) {
    if (pixel[3] < 128)
      std::fill_n(pixel, 4, 0);
    else
      pixel[3] = 255;
  }
  return out;
}

}  // namespace

std::optional<RgbImage> BannerPicture() { return DecodeBitmapFile(resources::BannerBitmap()); }

std::optional<RgbaImage> ProgramIconImage() { return PngPixels(resources::ProgramIconPng()); }

std::optional<RgbaImage> CursorResource(int number) {
  if (number != MainWindowLayout().bannerCursorResource) return std::nullopt;
  return PngPixels(resources::HandCursorPng(), 5, 0);  // the fingertip
}

}  // namespace verolink::host

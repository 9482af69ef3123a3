#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace verolink::host {

// Pictures decoded from the platform's bitmap files, top row first, for
// toolkits that take plain pixel arrays.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // R, G, B per pixel
};

// A bitmap file (.bmp): uncompressed, 24 bits per pixel, bottom-up or top-down.
// Anything else, or a file too short for what its header claims: nullopt.
std::optional<RgbImage> DecodeBitmapFile(std::span<const std::uint8_t> file);

// Stretches or shrinks to width x height by taking the nearest source pixel,
// as the platform does when it draws a picture into a frame of another size.
RgbImage Stretch(const RgbImage& image, int width, int height);

}  // namespace verolink::host

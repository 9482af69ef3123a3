#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace verolink::host {

// Pictures decoded from the platform's device-independent bitmap formats,
// top row first, for toolkits that take plain pixel arrays.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // R, G, B per pixel
};

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // R, G, B, A per pixel; A is 0 or 255 unless 32-bit
  int hotX = 0;                      // cursors only
  int hotY = 0;
};

// A bitmap file (.bmp): uncompressed, 24 bits per pixel, bottom-up or top-down.
// Anything else, or a file too short for what its header claims: nullopt.
std::optional<RgbImage> DecodeBitmapFile(std::span<const std::uint8_t> file);

// The first image of an icon (.ico) or cursor (.cur) file: 1, 4, 8, 24 or 32
// bits per pixel with its AND mask (mask bit 1: transparent). Cursors also
// give their hot spot. Malformed or PNG-compressed images: nullopt.
std::optional<RgbaImage> DecodeIconFile(std::span<const std::uint8_t> file);

// Stretches or shrinks to width x height by taking the nearest source pixel,
// as the platform does when it draws a picture into a frame of another size.
RgbImage Stretch(const RgbImage& image, int width, int height);

}  // namespace verolink::host

#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace verolink::host {

// Pictures as plain pixel arrays, top row first, for FLTK's Fl_RGB_Image.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // R, G, B per pixel
};

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // R, G, B, A per pixel; A is 0 or 255
  int hotX = 0;                      // cursors only
  int hotY = 0;
};

// The program's embedded resources, read from their PNG forms with FLTK's
// Fl_PNG_Image; nullopt when one cannot be read. The icon's and the cursor's
// alpha is cut to fully opaque or transparent black, as in the platform's icon
// and cursor files.
std::optional<RgbImage> BannerPicture();
std::optional<RgbaImage> ProgramIconImage();
// A cursor resource by its number (101: the hand); nullopt for unknown numbers.
std::optional<RgbaImage> CursorResource(int number);

// Stretches or shrinks to width x height by taking the nearest source pixel,
// as the platform does when it draws a picture into a frame of another size.
RgbImage Stretch(const RgbImage& image, int width, int height);

}  // namespace verolink::host

#pragma once

#include <optional>

#include "host/window/dib_image.h"

namespace verolink::host {

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // R, G, B, A per pixel, top row first; A is 0 or 255
  int hotX = 0;                      // cursors only
  int hotY = 0;
};

// The program's embedded resources, decoded for the window. The icon and the
// cursor come from their PNG forms (FLTK's Fl_PNG_Image), with alpha cut to
// fully opaque or transparent black as in the platform's icon and cursor files.
std::optional<RgbImage> BannerPicture();
std::optional<RgbaImage> ProgramIconImage();
// A cursor resource by its number (101: the hand); nullopt for unknown numbers.
std::optional<RgbaImage> CursorResource(int number);

}  // namespace verolink::host

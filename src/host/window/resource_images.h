#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace verolink::host {

// A picture as a plain pixel array, top row first, for FLTK's Fl_RGB_Image:
// R, G, B per pixel for the banner, R, G, B, A (A 0 or 255) for the icon and
// the cursor.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  int hotX = 0;  // cursors only
  int hotY = 0;
};

// The program's embedded resources, read from their PNG forms with FLTK's
// Fl_PNG_Image; nullopt when one cannot be read. The icon's and the cursor's
// alpha is cut to fully opaque or transparent black, as in the platform's icon
// and cursor files.
std::optional<Picture> BannerPicture();
std::optional<Picture> ProgramIconImage();
// A cursor resource by its number (101: the hand); nullopt for unknown numbers.
std::optional<Picture> CursorResource(int number);

// Stretches or shrinks an RGB picture to width x height by taking the nearest
// source pixel, as the platform does when it draws a picture into a frame of
// another size.
Picture Stretch(const Picture& image, int width, int height);

}  // namespace verolink::host

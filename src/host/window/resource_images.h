#pragma once

#include <optional>

#include "host/window/dib_image.h"

namespace verolink::host {

// The program's embedded resources, decoded for the window.
std::optional<RgbImage> BannerPicture();
std::optional<RgbaImage> ProgramIconImage();
// A cursor resource by its number (101: the hand); nullopt for unknown numbers.
std::optional<RgbaImage> CursorResource(int number);

}  // namespace verolink::host

#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <span>

namespace verolink::host {

// The program's embedded pictures as GTK takes them. Each returns a new
// reference, or nullptr when the picture cannot be read.
GdkTexture* TextureOf(std::span<const std::uint8_t> png);
// A cursor resource by its number (101: the hand, its hot spot at the
// fingertip); nullptr for unknown numbers.
GdkCursor* CursorResource(int number);

}  // namespace verolink::host

#include "host/window/resource_images.h"

#include "window/layout.h"
#include "window/resources.h"

namespace verolink::host {

GdkTexture* TextureOf(std::span<const std::uint8_t> png) {
  GBytes* bytes = g_bytes_new_static(png.data(), png.size());
  GdkTexture* texture = gdk_texture_new_from_bytes(bytes, nullptr);
  g_bytes_unref(bytes);
  return texture;
}

GdkCursor* CursorResource(int number) {
  if (number != MainWindowLayout().bannerCursorResource) return nullptr;
  GdkTexture* hand = TextureOf(resources::HandCursorPng());
  if (hand == nullptr) return nullptr;
  GdkCursor* cursor = gdk_cursor_new_from_texture(hand, 5, 0, nullptr);
  g_object_unref(hand);
  return cursor;
}

}  // namespace verolink::host

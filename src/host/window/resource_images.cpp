#include "host/window/resource_images.h"

#include "window/layout.h"
#include "window/resources.h"

namespace verolink::host {

std::optional<RgbImage> BannerPicture() { return DecodeBitmapFile(resources::BannerBitmap()); }

std::optional<RgbaImage> ProgramIconImage() { return DecodeIconFile(resources::ProgramIcon()); }

std::optional<RgbaImage> CursorResource(int number) {
  if (number != MainWindowLayout().bannerCursorResource) return std::nullopt;
  return DecodeIconFile(resources::HandCursor());
}

}  // namespace verolink::host

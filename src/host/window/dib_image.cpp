#include "host/window/dib_image.h"

#include <cstddef>

namespace verolink::host {

namespace {

// Pictures larger than this are refused: the program's own are tiny, and the
// limit keeps size arithmetic far from overflow.
constexpr int kMaxSide = 4096;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint32_t U16(std::span<const std::uint8_t> d, std::size_t at) {
  return d[at] | d[at + 1] << 8;
}

std::uint32_t U32(std::span<const std::uint8_t> d, std::size_t at) {
  return U16(d, at) | U16(d, at + 2) << 16;
}

std::int32_t S32(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::int32_t>(U32(d, at));
}

// Bytes of one stored row: whole 32-bit units.
std::size_t Stride(int width, int bits) {
  return (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
}

struct InfoHeader {
  std::uint32_t size;
  int width;
  int height;  // negative: top row first
  int bits;
  std::uint32_t compression;
};

std::optional<InfoHeader> ReadInfoHeader(std::span<const std::uint8_t> d) {
  if (d.size() < kInfoHeaderSize) return std::nullopt;
  InfoHeader h{U32(d, 0), S32(d, 4), S32(d, 8), static_cast<int>(U16(d, 14)), U32(d, 16)};
  if (h.size < kInfoHeaderSize || h.size > d.size() || U16(d, 12) != 1) return std::nullopt;
  if (h.width <= 0 || h.width > kMaxSide || h.height == 0) return std::nullopt;
  if (h.height < -kMaxSide || h.height > kMaxSide) return std::nullopt;
  if (h.compression != 0) return std::nullopt;
  return h;
}

}  // namespace

std::optional<RgbImage> DecodeBitmapFile(std::span<const std::uint8_t> file) {
  if (file.size() < kFileHeaderSize || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::size_t offset = U32(file, 10);
  const auto header = ReadInfoHeader(file.subspan(kFileHeaderSize));
  if (!header || header->bits != 24) return std::nullopt;
  const int width = header->width;
  const int height = header->height < 0 ? -header->height : header->height;
  const std::size_t stride = Stride(width, 24);
  if (offset < kFileHeaderSize + header->size || offset > file.size() ||
      (file.size() - offset) / stride < static_cast<std::size_t>(height)) {
    return std::nullopt;
  }
  RgbImage image{width, height, std::vector<std::uint8_t>(std::size_t{3} * width * height)};
  for (int y = 0; y < height; ++y) {
    const int stored = header->height < 0 ? y : height - 1 - y;
    const auto row = file.subspan(offset + stored * stride, stride);
    std::uint8_t* out = &image.pixels[std::size_t{3} * width * y];
    for (int x = 0; x < width; ++x, out += 3) {
      out[0] = row[3 * x + 2];
      out[1] = row[3 * x + 1];
      out[2] = row[3 * x];
    }
  }
  return image;
}

RgbImage Stretch(const RgbImage& image, int width, int height) {
  RgbImage out{width, height, std::vector<std::uint8_t>(std::size_t{3} * width * height)};
  if (image.width <= 0 || image.height <= 0) return out;
  for (int y = 0; y < height; ++y) {
    // Sample at the centre of the target pixel.
    const long long sy = (2LL * y + 1) * image.height / (2LL * height);
    for (int x = 0; x < width; ++x) {
      const long long sx = (2LL * x + 1) * image.width / (2LL * width);
      const std::uint8_t* from = &image.pixels[3 * (sy * image.width + sx)];
      std::uint8_t* to = &out.pixels[3 * (static_cast<std::size_t>(y) * width + x)];
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
    }
  }
  return out;
}

}  // namespace verolink::host
